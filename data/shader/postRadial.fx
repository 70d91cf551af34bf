// Post effect for the build-ups: a radial rush, the picture smeared towards the
// centre, growing with the entry's progress and blended over the screen. Pass 0
// smears the half-size graded copy (work screen 1) into a half-size work screen:
// the smear is wider than the pixels that size leaves out. Pass 1 lays it over
// the screen, enlarged by the linear filter.
uniform float4x4 projMat;
sampler2D workBuf1 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
sampler2D workBuf0 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
float TIME_RATE_EFFECT = 0;

varying vec2 uv;

void screenVertex() {
  gl_Position = projMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
}

vec4 radialSmear() {
  vec2 toCentre = vec2(0.5, 0.5) - uv;
  float reach = 0.02 + 0.12 * TIME_RATE_EFFECT * TIME_RATE_EFFECT;
  vec3 sum = vec3(0.0);
  for (int i = 0; i < 10; ++i) {
    sum += texture2D(workBuf1, uv + toCentre * reach * float(i) / 9.0).rgb;
  }
  return vec4(sum / 10.0, 1.0);
}

vec4 radialBlend() {
  float strength = smoothstep(0.0, 1.0, TIME_RATE_EFFECT) * 0.75 * clamp(length(vec2(0.5, 0.5) - uv) * 2.5, 0.0, 1.0);
  // Weighted here (and added with One): the brightened smear may pass 1.0,
  // which an 8-bit screen would clip before blending.
  return vec4(texture2D(workBuf0, uv).rgb * 1.08 * strength, strength);
}

technique Radial {
  pass Smear {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf radialSmear();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = false;
  }
  pass Blend {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf radialBlend();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = true;
    BlendFunc = int2(One, OneMinusSrcAlpha);
  }
}
