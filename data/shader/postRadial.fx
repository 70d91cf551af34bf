// Post effect for the build-ups: a radial rush, the picture smeared towards the
// centre, growing with the entry's progress and blended over the screen.
// It smears the half-size graded copy (work screen 1): the smear is wider than
// the pixels that copy leaves out.
uniform float4x4 projMat;
sampler2D workBuf1 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
float TIME_RATE_EFFECT = 0;

varying vec2 uv;

void screenVertex() {
  gl_Position = projMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
}

vec4 radialRush() {
  vec2 centre = vec2(0.5, 0.5);
  vec2 toCentre = centre - uv;
  float reach = 0.02 + 0.12 * TIME_RATE_EFFECT * TIME_RATE_EFFECT;
  vec3 sum = vec3(0.0);
  for (int i = 0; i < 10; ++i) {
    sum += texture2D(workBuf1, uv + toCentre * reach * float(i) / 9.0).rgb;
  }
  sum /= 10.0;
  float strength = smoothstep(0.0, 1.0, TIME_RATE_EFFECT) * 0.75 * clamp(length(toCentre) * 2.5, 0.0, 1.0);
  return vec4(sum * 1.08, strength);
}

technique Radial {
  pass Blend {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf radialRush();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = true;
    BlendFunc = int2(SrcAlpha, OneMinusSrcAlpha);
  }
}
