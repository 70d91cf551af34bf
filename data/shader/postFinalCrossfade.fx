// Post effect: postFinal for the second build-up, in one pass: line 0 graded with
// line 1 (light on black) laid over it in screen blending as postCrossfade does,
// and the glow of the bright parts (from the half-size blurred copy) added.
uniform float4x4 projMat;
// Read texel for texel: window-sized pictures into a window-sized screen.
sampler2D srcCBuf0 = sampler_state { MinFilter = Nearest; MagFilter = Nearest; WrapS = ClampToEdge; WrapT = ClampToEdge; };
sampler2D srcCBuf1 = sampler_state { MinFilter = Nearest; MagFilter = Nearest; WrapS = ClampToEdge; WrapT = ClampToEdge; };
// The blurred copy is smaller than the screen: filtered as it is enlarged.
sampler2D workBuf2 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
float TIME_RATE_1 = 0;
float TIME_RATE_EFFECT = 0;

varying vec2 uv;

void screenVertex() {
  gl_Position = projMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
}

// The dusk grade: a little more colour around the luma (0.299, 0.587, 0.114),
// warm highlights (1.03, 1.0, 0.96) and violet shadows (0.05, 0.02, 0.09) * (1 - luma).
// Each step is linear in the colour, so together they are one matrix and an
// offset: nine multiply-adds a pixel instead of sixteen operations.
const mat3 kGrade = mat3(1.1016936, -0.04186, -0.0613548,
                         -0.1019032, 1.03782, -0.1204524,
                         -0.0197904, -0.01596, 1.0518072);

vec3 grade(vec3 c) { return clamp(kGrade * c + vec3(0.05, 0.02, 0.09), 0.0, 1.0); }

// data\texture\vignette.tga, worked out as in postCompose.
vec3 vignette(vec2 at) {
  vec2 p = at * 2.0 - 1.0;
  float r = sqrt(p.x * p.x * 0.8 + p.y * p.y);
  float v = 1.0 - 0.55 * smoothstep(0.45, 1.4, r);
  return v * vec3(1.0 - 0.02 * r, 0.98 - 0.05 * r, 0.96 + 0.02 * r);
}

vec4 finalCrossfade() {
  vec3 base = grade(texture2D(srcCBuf0, uv).rgb);
  vec3 upper = clamp(texture2D(srcCBuf1, uv).rgb, 0.0, 1.0);
  float weight = smoothstep(0.0, 0.25, TIME_RATE_EFFECT) * step(0.0001, TIME_RATE_1);
  vec3 picture = (1.0 - (1.0 - base) * (1.0 - upper * weight)) * vignette(uv);
  vec3 blurred = texture2D(workBuf2, uv).rgb;
  // Not clamped: the screen holds 8 bits a channel and clamps what is written to it.
  return vec4(picture + max(blurred - vec3(0.5), 0.0) * vec3(1.32, 1.14, 1.2), 1.0);
}

technique Crossfade {
  pass Present {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf finalCrossfade();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = false;
  }
}
