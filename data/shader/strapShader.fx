// Strap ribbons: line strips whose vertex colours carry the fade ramp. Pass 0
// adds them as glowing light; pass 1 (the greetings) lays them over the scene as
// a softer, slightly brightened veil. Both shimmer along the ribbon as TIME_RATE
// runs.
uniform float4x4 shWorldMat;
uniform float4x4 shViewMat;
uniform float4x4 shVProjMat;
float TIME_RATE = 0;

varying vec4 tint;
varying float along;

void ribbonVertex() {
  gl_Position = shVProjMat * gl_Vertex;
  tint = gl_Color;
  along = dot(gl_Vertex.xyz, vec3(0.9, 1.3, 0.7));
}

vec4 glowRibbon() {
  float shimmer = 0.8 + 0.2 * sin(along * 6.0 - TIME_RATE * 60.0);
  return vec4(tint.rgb * shimmer, tint.a * 0.85);
}

vec4 veilRibbon() {
  float shimmer = 0.85 + 0.15 * sin(along * 4.0 - TIME_RATE * 40.0);
  vec3 lifted = mix(tint.rgb, vec3(1.0), 0.25);
  return vec4(lifted * shimmer, clamp(tint.a * 1.5, 0.0, 1.0));
}

technique Ribbons {
  pass Glow {
    VertexProgram = compile glslv ribbonVertex();
    FragmentProgram = compile glslf glowRibbon();
    BlendEnable = true;
    BlendFunc = int2(SrcAlpha, One);
    DepthMask = false;
  }
  pass Veil {
    VertexProgram = compile glslv ribbonVertex();
    FragmentProgram = compile glslf veilRibbon();
    BlendEnable = true;
    BlendFunc = int2(SrcAlpha, OneMinusSrcAlpha);
    DepthMask = false;
  }
}
