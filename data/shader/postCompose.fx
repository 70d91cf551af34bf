// Post effect: line 0 with the show's dusk colour grade (violet shadows, warm
// highlights, a little more colour) and the vignette, into a work screen. Written
// at half size, each linear tap falls between four texels of the window-sized
// source and averages them: the copy the glow, the depth of field and the radial
// rush are made from.
uniform float4x4 projMat;
sampler2D srcCBuf0 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };

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

// The picture of data\texture\vignette.tga, worked out here: one texture read
// less per pixel, the same darkening towards the corners.
vec3 vignette(vec2 at) {
  vec2 p = at * 2.0 - 1.0;
  float r = sqrt(p.x * p.x * 0.8 + p.y * p.y);
  float v = 1.0 - 0.55 * smoothstep(0.45, 1.4, r);
  return v * vec3(1.0 - 0.02 * r, 0.98 - 0.05 * r, 0.96 + 0.02 * r);
}

vec4 composeLine() { return vec4(grade(texture2D(srcCBuf0, uv).rgb) * vignette(uv), 1.0); }

technique Compose {
  pass Grade {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf composeLine();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = false;
  }
}
