// Post effect: fades over the screen. Pass 0 darkens to black over its entry (the
// end of the show), pass 1 lifts from black (the start); the table picks the pass.
uniform float4x4 projMat;
float TIME_RATE_EFFECT = 0;

varying vec2 uv;

void screenVertex() {
  gl_Position = projMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
}

vec4 toBlack() { return vec4(0.0, 0.0, 0.0, smoothstep(0.0, 1.0, TIME_RATE_EFFECT)); }
vec4 fromBlack() { return vec4(0.0, 0.0, 0.0, 1.0 - smoothstep(0.0, 1.0, TIME_RATE_EFFECT)); }

technique Fade {
  pass Out {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf toBlack();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = true;
    BlendFunc = int2(SrcAlpha, OneMinusSrcAlpha);
  }
  pass In {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf fromBlack();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = true;
    BlendFunc = int2(SrcAlpha, OneMinusSrcAlpha);
  }
}
