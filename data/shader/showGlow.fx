// The show's glowing light balls: the material colour, brightest where the surface
// faces the viewer and softly fading at the rim, added to what is behind it and
// pulsing gently with the animation time. Only the half of a ball that faces the
// eye is drawn, at twice the light: a ray meets the far half at the same angle as
// the near one, so the sum is the same, for half the pixels.
uniform float4x4 shWorldMat;
uniform float4x4 shVProjMat;
float4 shMqoColor = float4(1, 1, 1, 1);
float TIME_RATE = 0;

varying vec3 viewNormal;
varying vec3 viewPosition;

void glowVertex() {
  gl_Position = shVProjMat * gl_Vertex;
  viewPosition = (shWorldMat * gl_Vertex).xyz;
  viewNormal = mat3(shWorldMat) * gl_Normal;
}

vec4 glowColour() {
  // The cosine between the normal and the way to the eye, with one square root.
  float facing = abs(dot(viewNormal, -viewPosition)) *
                 inversesqrt(dot(viewNormal, viewNormal) * dot(viewPosition, viewPosition));
  float core = facing * facing * sqrt(facing);  // facing to the power 2.5
  float pulse = 0.85 + 0.15 * sin(TIME_RATE * 3.0 + viewPosition.x);
  vec3 colour = shMqoColor.rgb * (0.25 + 1.1 * core) * pulse + vec3(core * core * 0.5);
  return vec4(colour * (2.0 * shMqoColor.a), 1.0);
}

technique Glow {
  pass Add {
    VertexProgram = compile glslv glowVertex();
    FragmentProgram = compile glslf glowColour();
    DepthMask = false;
    CullFaceEnable = true;
    BlendEnable = true;
    BlendFunc = int2(One, One);
  }
}
