// Post effect: a wide separable blur of the graded picture. Pass 0 blurs work
// screen 1 (half the window's size) across into work screen 3, pass 1 blurs that
// down into work screen 2 for the glow, the depth of field and the radial rush.
// The table keeps work 3 and 2 at a quarter of the window's size: the blur is
// wide enough that the smaller copy loses nothing the eye sees once enlarged,
// and it is a quarter of the pixels to shade.
uniform float4x4 projMat;
sampler2D workBuf1 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
sampler2D workBuf3 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
float2 OutputSize = float2(320, 180);
float2 ViewportSize = float2(1280, 720);

varying vec2 uv;

void screenVertex() {
  gl_Position = projMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
}

// Offsets and weights are fitted so that the glow, once the final pass enlarges
// it, keeps the profile it had when the blur ran at half size. Each pair of taps
// sits between two texels, weighted so that the linear filter adds them in the
// kernel's proportion.
vec4 blurAcross() {
  // From half size to a quarter: each pixel's centre falls between two columns
  // and two rows of work 1, so the filter averages the rows, and two pairs of
  // taps read eight of its columns.
  vec2 texel = vec2(2.0, 0.0) / ViewportSize;
  vec3 sum = (texture2D(workBuf1, uv + texel * 0.943).rgb + texture2D(workBuf1, uv - texel * 0.943).rgb) * 0.350;
  sum += (texture2D(workBuf1, uv + texel * 2.822).rgb + texture2D(workBuf1, uv - texel * 2.822).rgb) * 0.150;
  return vec4(sum, 1.0);
}

vec4 blurDown() {
  // Within a quarter-size screen: five texels in three taps.
  vec2 texel = vec2(0.0, 1.0) / OutputSize;
  vec3 sum = texture2D(workBuf3, uv).rgb * 0.4063;
  sum += (texture2D(workBuf3, uv + texel * 1.113).rgb + texture2D(workBuf3, uv - texel * 1.113).rgb) * 0.29685;
  return vec4(sum, 1.0);
}

technique Blur {
  pass Across {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf blurAcross();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = false;
  }
  pass Down {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf blurDown();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = false;
  }
}
