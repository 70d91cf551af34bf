// Post effect: a flash on a crash cymbal, a warm white added over the screen that
// dies away over the entry, brighter in the middle of the picture.
uniform float4x4 projMat;
float TIME_RATE_EFFECT = 0;

varying vec2 uv;

void screenVertex() {
  gl_Position = projMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
}

vec4 flash() {
  float fadeAway = 1.0 - TIME_RATE_EFFECT;
  float middle = 1.0 - 0.5 * length(uv - vec2(0.5, 0.5));
  return vec4(1.0, 0.9, 0.94, fadeAway * fadeAway * 0.75 * middle);
}

technique Flash {
  pass Add {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf flash();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = true;
    BlendFunc = int2(SrcAlpha, One);
  }
}
