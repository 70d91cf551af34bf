// The model effect for materials that name none: the material texture tinted by
// the material colour, lit by a soft key light from the viewer's upper right, a
// sky-coloured fill from above and a faint rim, with the material's alpha.
uniform float4x4 shWorldMat;
uniform float4x4 shViewMat;
uniform float4x4 shVProjMat;
float4 shAmbient = float4(0.1, 0.1, 0.1, 0.1);
float4 shLightColor = float4(1, 1, 1, 1);
float4 shKa = float4(0.8, 0.8, 0.8, 0.8);
float4 shKd = float4(0.6, 0.6, 0.6, 0.6);
float4 shKs = float4(0.85, 0.85, 0.85, 0.85);
float shShininess = 8;
float4 shMqoColor = float4(1, 1, 1, 1);
float TIME_RATE = 0;
sampler2D shBaseTexture = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = Repeat; WrapT = Repeat; };

varying vec2 uv;
varying vec3 viewNormal;
varying vec3 viewPosition;

void modelVertex() {
  gl_Position = shVProjMat * gl_Vertex;
  vec4 position = shWorldMat * gl_Vertex;
  viewPosition = position.xyz;
  viewNormal = mat3(shWorldMat) * gl_Normal;
  uv = gl_MultiTexCoord0.xy;
}

vec4 litModel() {
  vec4 albedo = texture2D(shBaseTexture, uv) * shMqoColor;
  vec3 n = normalize(viewNormal);
  vec3 toViewer = normalize(-viewPosition);
  if (dot(n, toViewer) < 0.0) n = -n;  // thin sheets (petals, leaves) are lit from both sides
  vec3 key = normalize(vec3(0.45, 0.6, 0.65));
  float diffuse = max(dot(n, key), 0.0);
  vec3 halfway = normalize(key + toViewer);
  float specular = pow(max(dot(n, halfway), 0.0), shShininess * 4.0) * shKs.x * 0.35;
  float sky = 0.5 + 0.5 * n.y;
  float rim = pow(1.0 - max(dot(n, toViewer), 0.0), 3.0) * 0.25;
  vec3 light = shAmbient.rgb + shKa.rgb * 0.25 * mix(vec3(0.55, 0.5, 0.6), vec3(0.75, 0.85, 1.0), sky) +
               shKd.rgb * 1.1 * diffuse * shLightColor.rgb;
  vec3 colour = albedo.rgb * light + vec3(specular + rim);
  return vec4(colour, albedo.a);
}

technique Lit {
  pass Shade {
    VertexProgram = compile glslv modelVertex();
    FragmentProgram = compile glslf litModel();
    BlendEnable = true;
    BlendFunc = int2(SrcAlpha, OneMinusSrcAlpha);
    AlphaTestEnable = true;
    AlphaFunc = float2(Greater, 0.01);
  }
}
