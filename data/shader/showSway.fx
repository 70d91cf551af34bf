// The show's effect for thin swaying things (blossoms, petals, grass, leaves): the
// lit model effect with a wind that bends each vertex by its height in the texture
// (v = 0 at the tip) and by the animation time, lit from both sides, cut out by alpha.
uniform float4x4 shWorldMat;
uniform float4x4 shViewMat;
uniform float4x4 shVProjMat;
float4 shAmbient = float4(0.1, 0.1, 0.1, 0.1);
float4 shLightColor = float4(1, 1, 1, 1);
float4 shKa = float4(0.8, 0.8, 0.8, 0.8);
float4 shKd = float4(0.6, 0.6, 0.6, 0.6);
float4 shKs = float4(0.85, 0.85, 0.85, 0.85);
float3 shEyePos = float3(0, 0, 10);
float3 shLightPos = float3(0, 0, -10);
float4 shMqoColor = float4(1, 1, 1, 1);
float TIME_RATE = 0;
sampler2D shBaseTexture = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = Repeat; WrapT = Repeat; };

varying vec2 uv;
varying vec3 light;  // what falls on the card from the sun, the sky and behind
varying vec3 shine;  // the sun's highlight
varying float fog;

// The specular power: the engine's shininess of 8, times 4, as five squarings;
// a general power costs a logarithm and an exponential per pixel.
float shine32(float x) {
  float x2 = x * x;
  float x4 = x2 * x2;
  float x8 = x4 * x4;
  float x16 = x8 * x8;
  return x16 * x16;
}

void modelVertex() {
  // Wind: a slow swell plus a faster flutter, phase-shifted across the field.
  vec4 vertex = gl_Vertex;
  float bend = clamp(1.0 - gl_MultiTexCoord0.y, 0.0, 1.0);
  float phase = vertex.x * 0.9 + vertex.z * 0.6;
  float wind = sin(TIME_RATE * 1.3 + phase) * 0.06 + sin(TIME_RATE * 4.1 + phase * 3.0) * 0.015;
  vertex.x += wind * bend;
  vertex.z += wind * 0.5 * bend;
  gl_Position = shVProjMat * vertex;
  vec3 viewPosition = (shWorldMat * vertex).xyz;
  vec3 viewNormal = mat3(shWorldMat) * gl_Normal;
  // The sun of the sky picture sits low in the west (+x, towards -z).
  vec3 sunDirection = normalize(mat3(shViewMat) * vec3(0.85, 0.25, -0.5));
  vec3 backDirection = normalize(mat3(shViewMat) * (shLightPos - shEyePos * 0.2 + vec3(0.0, 4.0, 0.0)));
  uv = gl_MultiTexCoord0.xy;
  // Cards and blades are small and flat or gently bent, so all their light,
  // the highlight too, is worked out at their corners: they are cut out by alpha,
  // so every covered pixel of every card is shaded before the depth test can drop it.
  vec3 n = normalize(viewNormal);
  vec3 toViewer = normalize(-viewPosition);
  if (dot(n, toViewer) < 0.0) n = -n;
  // Petals and blades are thin: light passes through, so both sides glow.
  float diffuse = 0.45 + 0.55 * abs(dot(n, sunDirection));
  float back = max(dot(n, backDirection), 0.0);
  float sky = 0.5 + 0.5 * n.y;
  vec3 fill = mix(vec3(0.42, 0.34, 0.50), vec3(0.62, 0.66, 0.95), sky);
  light = shAmbient.rgb + shKa.rgb * 0.45 * fill +
          shKd.rgb * 1.25 * diffuse * vec3(1.0, 0.78, 0.6) * shLightColor.rgb +
          back * 0.25 * vec3(0.85, 0.6, 0.9);
  vec3 halfway = normalize(sunDirection + toViewer);
  shine = shine32(max(dot(n, halfway), 0.0)) * shKs.x * 0.4 * vec3(1.0, 0.85, 0.75);
  // Distance fog towards the pink horizon; thinner when the eye is high above it.
  fog = smoothstep(10.0, 70.0, length(viewPosition)) * 0.75 / (1.0 + max(shEyePos.y, 0.0) * 0.03);
}

vec4 litModel() {
  vec4 albedo = texture2D(shBaseTexture, uv) * shMqoColor;
  return vec4(mix(albedo.rgb * light + shine, vec3(0.86, 0.56, 0.60), fog), albedo.a);
}

technique Sway {
  pass Shade {
    VertexProgram = compile glslv modelVertex();
    FragmentProgram = compile glslf litModel();
    BlendEnable = true;
    BlendFunc = int2(SrcAlpha, OneMinusSrcAlpha);
    AlphaTestEnable = true;
    AlphaFunc = float2(Greater, 0.3);
    CullFaceEnable = false;
  }
}
