// The test show's line shader: everything drawn on its line comes out blue.
uniform float4x4 shVProjMat;
float4 shMqoColor = float4(1, 1, 1, 1);

void tintVertex() { gl_Position = shVProjMat * gl_Vertex; }
vec4 tint() { return vec4(0.0, 0.0, 1.0, shMqoColor.a); }

technique Tint {
  pass Blue {
    VertexProgram = compile glslv tintVertex();
    FragmentProgram = compile glslf tint();
  }
}
