// Dust sprites: each particle drifts from its first position (vertex) to its
// second (normal) as TIME_RATE runs from 0 to 1, shrinks with distance and glows
// additively in its record colour; size comes in texture set 1.
uniform float4x4 shWorldMat;
uniform float4x4 shViewMat;
uniform float4x4 shVProjMat;
float TIME_RATE = 0;
float2 ViewportSize = float2(1280, 720);
sampler2D shTexture0 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };

varying vec4 tint;

void dustVertex() {
  float rate = clamp(TIME_RATE, 0.0, 1.0);
  // Ease in and out so the dust hangs still at both ends of the shot.
  float eased = rate * rate * (3.0 - 2.0 * rate);
  vec4 position = vec4(mix(gl_Vertex.xyz, gl_Normal, eased), 1.0);
  gl_Position = shVProjMat * position;
  float distance = max(-(shWorldMat * position).z, 0.2);
  // Sizes are pixels of a 720-line picture, scaled to the screen drawn into.
  float scale = ViewportSize.y / 720.0;
  gl_PointSize = clamp(gl_MultiTexCoord1.x * 6.0 / distance * scale, 1.0, 96.0 * scale);
  // Sprites twinkle a little, each at its own phase.
  float twinkle = 0.75 + 0.25 * sin(rate * 40.0 + dot(gl_Vertex.xyz, vec3(12.9898, 78.233, 37.719)));
  tint = vec4(gl_Color.rgb, gl_Color.a * twinkle);
}

vec4 dustFragment() {
  vec4 texel = texture2D(shTexture0, gl_PointCoord);
  return vec4(texel.rgb * tint.rgb * 2.0, texel.a * tint.a);
}

technique Dust {
  pass Glow {
    VertexProgram = compile glslv dustVertex();
    FragmentProgram = compile glslf dustFragment();
    BlendEnable = true;
    BlendFunc = int2(SrcAlpha, One);
    DepthMask = false;
  }
}
