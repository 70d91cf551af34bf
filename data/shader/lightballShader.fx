// Light balls and fireflies: each sprite travels from its first position (vertex)
// towards its second (normal) by TIME_RATE, with a slow wobble, and glows
// additively: a white-hot core inside the texture's coloured halo.
uniform float4x4 shWorldMat;
uniform float4x4 shViewMat;
uniform float4x4 shVProjMat;
float TIME_RATE = 0;
float2 ViewportSize = float2(1280, 720);
sampler2D shTexture0 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };

varying vec4 tint;

void ballVertex() {
  float rate = clamp(TIME_RATE, 0.0, 1.0);
  float phase = dot(gl_Vertex.xyz, vec3(3.1, 1.7, 2.3));
  vec3 position = mix(gl_Vertex.xyz, gl_Normal, rate);
  position += 0.15 * vec3(sin(rate * 11.0 + phase), cos(rate * 13.0 + phase), sin(rate * 7.0 - phase));
  vec4 world = vec4(position, 1.0);
  gl_Position = shVProjMat * world;
  float distance = max(-(shWorldMat * world).z, 0.2);
  // Sizes are pixels of a 720-line picture, scaled to the screen drawn into.
  float scale = ViewportSize.y / 720.0;
  gl_PointSize = clamp(gl_MultiTexCoord1.x * 4.0 / distance * scale, 1.0, 128.0 * scale);
  tint = gl_Color;
}

vec4 ballFragment() {
  vec4 texel = texture2D(shTexture0, gl_PointCoord);
  float r = length(gl_PointCoord - 0.5) * 2.0;
  float inside = max(1.0 - r, 0.0);
  float inside3 = inside * inside * inside;
  float core = inside3 * inside3;  // to the power 6
  vec3 colour = texel.rgb * tint.rgb + vec3(core);
  return vec4(colour, clamp(texel.a * tint.a * 2.5, 0.0, 1.0));
}

technique Balls {
  pass Glow {
    VertexProgram = compile glslv ballVertex();
    FragmentProgram = compile glslf ballFragment();
    BlendEnable = true;
    BlendFunc = int2(SrcAlpha, One);
    DepthMask = false;
  }
}
