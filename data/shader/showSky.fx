// The show's sky dome: its opaque picture tinted by the material colour, drawn
// behind everything (no depth writes). The unlit effect's blend would mix an
// opaque sky with nothing at the cost of reading every pixel back.
uniform float4x4 shVProjMat;
float4 shMqoColor = float4(1, 1, 1, 1);
sampler2D shBaseTexture = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = Repeat; WrapT = ClampToEdge; };

varying vec2 uv;

void plainVertex() {
  gl_Position = shVProjMat * gl_Vertex;
  // At the far plane: whatever solid was drawn before the sky hides it before it
  // is shaded, and it stays behind everything drawn after.
  gl_Position.z = gl_Position.w * 0.9999995;
  uv = gl_MultiTexCoord0.xy;
}

vec4 plainColour() { return texture2D(shBaseTexture, uv) * shMqoColor; }

technique Sky {
  pass Paint {
    VertexProgram = compile glslv plainVertex();
    FragmentProgram = compile glslf plainColour();
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = false;
  }
}
