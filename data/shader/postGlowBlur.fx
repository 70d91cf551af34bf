// Post effect: a wide separable blur of the graded picture. Pass 0 blurs work
// screen 0 across, pass 1 blurs work screen 1 down; the table runs them as two
// entries so the result lands in work screen 2 for the glow and the focus blur.
uniform float4x4 projMat;
sampler2D workBuf0 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
sampler2D workBuf1 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
float2 ViewportSize = float2(1280, 720);

varying vec2 uv;

void screenVertex() {
  gl_Position = projMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
}

vec3 blurAlong(sampler2D source, vec2 direction) {
  // Nine linear-filtered taps, each between two texels: a 17-texel Gaussian.
  vec2 texelStep = direction * 2.2 / ViewportSize;
  vec3 sum = texture2D(source, uv).rgb * 0.2;
  sum += (texture2D(source, uv + texelStep).rgb + texture2D(source, uv - texelStep).rgb) * 0.17;
  sum += (texture2D(source, uv + texelStep * 2.0).rgb + texture2D(source, uv - texelStep * 2.0).rgb) * 0.12;
  sum += (texture2D(source, uv + texelStep * 3.0).rgb + texture2D(source, uv - texelStep * 3.0).rgb) * 0.07;
  sum += (texture2D(source, uv + texelStep * 4.0).rgb + texture2D(source, uv - texelStep * 4.0).rgb) * 0.04;
  return sum;
}

vec4 blurAcross() { return vec4(blurAlong(workBuf0, vec2(1.0, 0.0)), 1.0); }
vec4 blurDown() { return vec4(blurAlong(workBuf1, vec2(0.0, 1.0)), 1.0); }

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
