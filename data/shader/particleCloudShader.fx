// Cloud billboards: the cloud texture tinted by the vertex colour and screened
// over the sky, its brightness as its own blend weight. The cloud scene draws its
// billboards with the fixed-function pipeline and keeps this effect for
// renderers that want the same look through a program.
uniform float4x4 shWorldMat;
uniform float4x4 shViewMat;
uniform float4x4 shVProjMat;
float TIME_RATE = 0;
sampler2D shTexture0 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };

varying vec2 uv;
varying vec4 tint;

void cloudVertex() {
  gl_Position = shVProjMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
  tint = gl_Color;
}

vec4 cloudFragment() {
  vec4 texel = texture2D(shTexture0, uv + vec2(TIME_RATE * 0.02, 0.0));
  return vec4(texel.rgb * tint.rgb, 1.0);
}

technique Clouds {
  pass Screen {
    VertexProgram = compile glslv cloudVertex();
    FragmentProgram = compile glslf cloudFragment();
    BlendEnable = true;
    BlendFunc = int2(SrcColor, OneMinusSrcColor);
    DepthTestEnable = false;
    DepthMask = false;
  }
}
