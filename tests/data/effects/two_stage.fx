// a post pass
struct Light { float3 position : shLightPos; float4 color; };
uniform mat4 worldViewProj : shVProjMat;
Light lights[2];
float4 tint = float4(1, 0.5, 0.25, 1);
float gain : TIME_RATE = 2;
sampler2D image : shBaseTexture = sampler_state { MinFilter = LinearMipmapLinear; MagFilter = Nearest; WrapS = ClampToEdge; };
varying vec2 uv;
attribute vec4 extra;

vec4 shade(vec2 at) { return texture2D(image, at) * tint * gain; }
void vertexMain() { gl_Position = worldViewProj * gl_Vertex; uv = gl_MultiTexCoord0.xy; }
vec4 fragmentMain() { return shade(uv); }

technique Main {
  pass First {
    VertexProgram = compile glslv vertexMain();
    FragmentProgram = compile glslf fragmentMain();
    DepthTestEnable = false;
    BlendFunc = int2(SrcAlpha, OneMinusSrcAlpha);
    blendequation = Max;
    AlphaFunc = float2(Greater, 0.25);
    ColorMask = bool4(true, true, true, false);
  }
  pass { DepthMask = true; }
}
technique Fallback { pass Only { FragmentProgram = compile glslf fragmentMain(); } }
