// Cherry petals: each sprite falls from its first position (vertex) to its second
// (normal) as TIME_RATE runs from 0 to 1, swaying sideways, spinning and
// flipping about its own axis, drawn over the scene with the petal's alpha.
uniform float4x4 shWorldMat;
uniform float4x4 shViewMat;
uniform float4x4 shVProjMat;
float TIME_RATE = 0;
float2 ViewportSize = float2(1280, 720);
sampler2D shTexture0 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };

varying vec4 tint;
varying vec3 spin;  // cos and sin of the turn, and the flip's squash
varying float shade;  // each petal's own brightness

void petalVertex() {
  float rate = clamp(TIME_RATE, 0.0, 1.0);
  float phase = fract(sin(dot(gl_Vertex.xyz, vec3(12.9898, 78.233, 37.719))) * 43758.5453) * 6.2832;
  vec3 position = mix(gl_Vertex.xyz, gl_Normal, rate);
  position.x += 0.35 * sin(rate * 9.0 + phase);
  position.z += 0.25 * cos(rate * 7.0 + phase * 1.3);
  vec4 world = vec4(position, 1.0);
  gl_Position = shVProjMat * world;
  float distance = max(-(shWorldMat * world).z, 0.2);
  // Sizes are pixels of a 720-line picture, scaled to the screen drawn into.
  float scale = ViewportSize.y / 720.0;
  gl_PointSize = clamp(gl_MultiTexCoord1.x * 4.0 / distance * scale, 1.0, 128.0 * scale);
  float angle = phase + rate * 12.0;
  spin = vec3(cos(angle), sin(angle), 0.35 + 0.65 * abs(cos(rate * 10.0 + phase * 2.0)));
  // Petals right in front of the lens fade instead of filling the picture.
  tint = vec4(gl_Color.rgb, gl_Color.a * smoothstep(0.6, 2.5, distance));
  shade = 0.8 + 0.35 * fract(phase * 7.31);
}

vec4 petalFragment() {
  vec2 c = (gl_PointCoord - 0.5) * 1.4;
  vec2 turned = vec2(c.x * spin.x - c.y * spin.y, c.x * spin.y + c.y * spin.x);
  turned.x /= spin.z;
  vec2 uv = turned + 0.5;
  if (uv.x < 0.0 || uv.x > 1.0 || uv.y < 0.0 || uv.y > 1.0) discard;
  vec4 texel = texture2D(shTexture0, uv);
  // The flipped side of a petal is a little darker.
  float side = 0.8 + 0.2 * spin.z;
  return vec4(texel.rgb * tint.rgb * side * shade, texel.a * tint.a);
}

technique Petals {
  pass Fall {
    VertexProgram = compile glslv petalVertex();
    FragmentProgram = compile glslf petalFragment();
    BlendEnable = true;
    BlendFunc = int2(SrcAlpha, OneMinusSrcAlpha);
    DepthMask = false;
  }
}
