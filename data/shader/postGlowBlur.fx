// Post effect: a wide separable blur of the graded picture. Pass 0 blurs work
// screen 1 across into work screen 3, pass 1 blurs that down into work screen 2
// for the glow, the depth of field and the radial rush. The table keeps all three
// at half the window's size, so each tap covers four of the window's pixels.
uniform float4x4 projMat;
sampler2D workBuf1 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
sampler2D workBuf3 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
float2 OutputSize = float2(640, 360);

varying vec2 uv;

void screenVertex() {
  gl_Position = projMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
}

vec3 blurAlong(sampler2D source, vec2 direction) {
  // A Gaussian of 2.15 texels (4.3 of the window's pixels) over nine texels, in
  // five linear-filtered taps: each outer tap sits between two texels, weighted
  // so that the filter adds them in the kernel's proportion.
  vec2 texel = direction / OutputSize;
  vec3 sum = texture2D(source, uv).rgb * 0.1924;
  sum += (texture2D(source, uv + texel * 1.420).rgb + texture2D(source, uv - texel * 1.420).rgb) * 0.2973;
  sum += (texture2D(source, uv + texel * 3.319).rgb + texture2D(source, uv - texel * 3.319).rgb) * 0.1065;
  return sum;
}

vec4 blurAcross() { return vec4(blurAlong(workBuf1, vec2(1.0, 0.0)), 1.0); }
vec4 blurDown() { return vec4(blurAlong(workBuf3, vec2(0.0, 1.0)), 1.0); }

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
