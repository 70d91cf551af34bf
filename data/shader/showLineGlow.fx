// The overlay line's shader: while line 1 draws, every model is drawn with this
// instead of its own effect, as warm light on black (the line is laid over line 0
// by the cross-fade post effect), its own texture and colour kept.
uniform float4x4 shWorldMat;
uniform float4x4 shVProjMat;
float4 shMqoColor = float4(1, 1, 1, 1);
float TIME_RATE = 0;
sampler2D shBaseTexture = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = Repeat; WrapT = Repeat; };

varying vec2 uv;
varying vec3 viewNormal;
varying vec3 viewPosition;

void lineVertex() {
  gl_Position = shVProjMat * gl_Vertex;
  viewPosition = (shWorldMat * gl_Vertex).xyz;
  viewNormal = mat3(shWorldMat) * gl_Normal;
  uv = gl_MultiTexCoord0.xy;
}

vec4 lineColour() {
  vec4 base = texture2D(shBaseTexture, uv) * shMqoColor;
  // The cosine between the normal and the way to the eye, with one square root.
  float facing = abs(dot(viewNormal, -viewPosition)) *
                 inversesqrt(dot(viewNormal, viewNormal) * dot(viewPosition, viewPosition));
  float rim = (1.0 - facing) * (1.0 - facing);
  float core = facing * facing * facing;
  vec3 warm = vec3(1.0, 0.82, 0.6);
  vec3 colour = base.rgb * (0.3 + 0.9 * core) + warm * rim * 0.6;
  return vec4(colour * base.a, 1.0);
}

technique LineGlow {
  pass Add {
    VertexProgram = compile glslv lineVertex();
    FragmentProgram = compile glslf lineColour();
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = true;
    BlendFunc = int2(One, One);
  }
}
