// Structs nested a few deep, arrays of them, and parameters the engine sets by
// name and by semantic.
struct Light { float3 position : shLightPos; float4 colour : shLightColor; };
struct Rig { Light lights[2]; float4x4 pose; };
struct Stage { Rig rigs[2]; float2 size : ViewportSize; };
Stage stage;
float TIME_RATE_EFFECT;
float4 tint : shMqoColor = float4(1, 1, 1, 1);
mat4 projection : projMat;
sampler2D image : srcCBuf0 = sampler_state { MinFilter = Linear; MagFilter = Linear; };
samplerCUBE work : workBuf2;
int count = 3;
bool4 flags;
float3x3 turn;
half2 halves : TIME_RATE;
void fill() { gl_FragColor = tint * TIME_RATE_EFFECT + texture2D(image, stage.size) + stage.rigs[1].lights[0].colour; }
technique T { pass P { FragmentProgram = compile glslf fill(); BlendEnable = true; } }
