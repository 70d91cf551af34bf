// The last step of every frame: pass 1 paints the whole window (the bars), pass 0
// the 16:9 picture from the composite screen inside the letterbox rectangle.
uniform float4x4 shVProjMat;
sampler2D shScreenTexture = sampler_state {
  MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge;
};

varying vec2 uv;

void screenVertex() {
  gl_Position = shVProjMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
}

vec4 picture() {
  // Effects may leave any alpha behind; the window shows an opaque picture.
  return vec4(texture2D(shScreenTexture, uv).rgb, 1.0);
}

vec4 bars() { return vec4(0.0, 0.0, 0.0, 1.0); }

technique Compose {
  pass Picture {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf picture();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = false;
  }
  pass Bars {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf bars();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = false;
  }
}
