// The show's reflective model effect (chrome pipes and boxes): the lit model effect
// with the dusk environment cube map reflected along the view, strongest at
// grazing angles. Solid surfaces only: back faces are not drawn.
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
samplerCUBE shEnvCube = sampler_state { MinFilter = LinearMipmapLinear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
sampler2D shBaseTexture = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = Repeat; WrapT = Repeat; };

varying vec2 uv;
varying vec3 viewNormal;
varying vec3 viewPosition;
varying vec3 sunDirection;
varying vec3 backDirection;
varying vec3 worldNormalGuess;
varying vec3 worldViewGuess;

void modelVertex() {
  gl_Position = shVProjMat * gl_Vertex;
  vec4 position = shWorldMat * gl_Vertex;
  viewPosition = position.xyz;
  viewNormal = mat3(shWorldMat) * gl_Normal;
  // The sun of the sky picture sits low in the west (+x, towards -z).
  sunDirection = normalize(mat3(shViewMat) * vec3(0.85, 0.25, -0.5));
  backDirection = normalize(mat3(shViewMat) * (shLightPos - shEyePos * 0.2 + vec3(0.0, 4.0, 0.0)));
  uv = gl_MultiTexCoord0.xy;
  // The view matrix carries the camera's turn: undo it (its transpose) to look
  // the reflection up in world directions.
  mat3 toWorld = mat3(shViewMat[0].xyz, shViewMat[1].xyz, shViewMat[2].xyz);
  toWorld = mat3(toWorld[0][0], toWorld[1][0], toWorld[2][0], toWorld[0][1], toWorld[1][1], toWorld[2][1],
                 toWorld[0][2], toWorld[1][2], toWorld[2][2]);
  worldNormalGuess = toWorld * viewNormal;
  worldViewGuess = toWorld * position.xyz;
}

// The specular power: the engine's shininess of 8, times 4, as five squarings;
// a general power costs a logarithm and an exponential per pixel.
float shine32(float x) {
  float x2 = x * x;
  float x4 = x2 * x2;
  float x8 = x4 * x4;
  float x16 = x8 * x8;
  return x16 * x16;
}

vec4 litModel() {
  vec4 albedo = texture2D(shBaseTexture, uv) * shMqoColor;
  vec3 n = normalize(viewNormal);
  // One square root gives both the way to the eye and the distance for the fog.
  float distanceSquared = dot(viewPosition, viewPosition);
  float inverseDistance = inversesqrt(distanceSquared);
  vec3 toViewer = -viewPosition * inverseDistance;
  if (dot(n, toViewer) < 0.0) n = -n;
  float diffuse = max(dot(n, sunDirection), 0.0);
  float back = max(dot(n, backDirection), 0.0);
  vec3 halfway = normalize(sunDirection + toViewer);
  float specular = shine32(max(dot(n, halfway), 0.0)) * shKs.x * 0.4;
  float sky = 0.5 + 0.5 * n.y;
  vec3 fill = mix(vec3(0.42, 0.34, 0.50), vec3(0.62, 0.66, 0.95), sky);
  vec3 light = shAmbient.rgb + shKa.rgb * 0.45 * fill +
               shKd.rgb * 1.25 * diffuse * vec3(1.0, 0.78, 0.6) * shLightColor.rgb +
               back * 0.25 * vec3(0.85, 0.6, 0.9);
  vec3 colour = albedo.rgb * light + specular * vec3(1.0, 0.85, 0.75);
  vec3 reflected = reflect(normalize(worldViewGuess), normalize(worldNormalGuess));
  reflected.y = abs(reflected.y) + 0.15;  // mirror the dark ground into the sky: chrome at dusk
  float edge = 1.0 - max(dot(n, toViewer), 0.0);
  float fresnel = 0.25 + 0.75 * edge * edge * edge;
  colour = mix(colour, textureCube(shEnvCube, reflected).rgb * albedo.rgb * 1.3, fresnel * 0.7);
  // Distance fog towards the pink horizon; thinner when the eye is high above it.
  float viewDistance = distanceSquared * inverseDistance;
  float fog = smoothstep(10.0, 70.0, viewDistance) * 0.75 / (1.0 + max(shEyePos.y, 0.0) * 0.03);
  colour = mix(colour, vec3(0.86, 0.56, 0.60), fog);
  return vec4(colour, albedo.a);
}

technique Reflect {
  pass Shade {
    VertexProgram = compile glslv modelVertex();
    FragmentProgram = compile glslf litModel();
    BlendEnable = true;
    BlendFunc = int2(SrcAlpha, OneMinusSrcAlpha);
    // Solid: back faces are never seen and nothing is cut out, so neither is
    // drawn or tested, and hidden pixels can be dropped before they are shaded.
    CullFaceEnable = true;
  }
}
