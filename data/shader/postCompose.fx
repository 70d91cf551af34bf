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

vec3 grade(vec3 c) {
  float luma = dot(c, vec3(0.299, 0.587, 0.114));
  c = mix(vec3(luma), c, 1.12);
  vec3 shadows = vec3(0.05, 0.02, 0.09) * (1.0 - luma);
  vec3 highlights = vec3(1.03, 1.0, 0.96);
  return clamp(c * highlights + shadows, 0.0, 1.0);
}

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
