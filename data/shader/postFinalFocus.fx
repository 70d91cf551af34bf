// Post effect: postFinal with depth of field, in one pass: line 0 graded, the glow
// of its bright parts added, and far from the distance in focus the blurred copy
// showing through (line 0's depth says how far each pixel is).
uniform float4x4 projMat;
// Read texel for texel: window-sized pictures into a window-sized screen.
sampler2D srcCBuf0 = sampler_state { MinFilter = Nearest; MagFilter = Nearest; WrapS = ClampToEdge; WrapT = ClampToEdge; };
sampler2D srcZBuf0 = sampler_state { MinFilter = Nearest; MagFilter = Nearest; WrapS = ClampToEdge; WrapT = ClampToEdge; };
// The blurred copy is smaller than the screen: filtered as it is enlarged.
sampler2D workBuf2 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
float TIME_RATE_EFFECT = 0;

varying vec2 uv;
varying float focus;     // the distance in focus, the same at every pixel
varying float envelope;  // the entry's fade in and out
varying float inverseSpan;  // 1 / the distance over which the blur comes in fully

// Eye distance from a depth value of the Qel camera's projection (near 0.1, far 150).
float eyeDistance(float depth) {
  const float nearPlane = 0.1;
  const float farPlane = 150.0;
  return nearPlane * farPlane / (farPlane - depth * (farPlane - nearPlane));
}

void screenVertex() {
  gl_Position = projMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
  // What is the same at every pixel is worked out at the corners.
  focus = min(eyeDistance(texture2DLod(srcZBuf0, vec2(0.5, 0.5), 0.0).r), 12.0);
  inverseSpan = 1.0 / (focus * 0.9 + 0.5);
  envelope = smoothstep(0.0, 0.04, TIME_RATE_EFFECT) * (1.0 - smoothstep(0.96, 1.0, TIME_RATE_EFFECT));
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

vec3 withGlow(vec3 picture, vec3 blurred) {
  vec3 glow = max(blurred - vec3(0.5), 0.0) * vec3(1.1, 0.95, 1.0) * 1.2;
  return clamp(picture + glow, 0.0, 1.0);
}

// Depth of field: far from the distance in focus (the one at the centre of the
// screen) the blurred copy shows through; fades in and out at the ends of the entry.
vec3 withFocus(vec3 picture, vec3 blurred) {
  float here = eyeDistance(texture2D(srcZBuf0, uv).r);
  float amount = clamp(abs(here - focus) * inverseSpan, 0.0, 1.0);
  vec3 soft = clamp(blurred + max(blurred - vec3(0.5), 0.0) * 1.2, 0.0, 1.0);
  return mix(picture, soft, amount * envelope * 0.75);
}

vec4 finalFocused() {
  vec3 blurred = texture2D(workBuf2, uv).rgb;
  vec3 picture = withGlow(grade(texture2D(srcCBuf0, uv).rgb) * vignette(uv), blurred);
  return vec4(withFocus(picture, blurred), 1.0);
}

technique Focus {
  pass Present {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf finalFocused();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = false;
  }
}
