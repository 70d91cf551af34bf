// The default post effect, used whenever no entry of the post-effect table is
// active: line 0 with line 1 laid over it in screen blending, so black parts of
// the upper line stay transparent and light parts brighten the picture.
uniform float4x4 projMat;
sampler2D srcCBuf0 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
sampler2D srcCBuf1 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
sampler2D srcZBuf0;
sampler2D srcZBuf1;
sampler2D workBuf0;
sampler2D workBuf1;
float2 ViewportSize = float2(1280, 720);

varying vec2 uv;

void screenVertex() {
  gl_Position = projMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
}

vec4 overlay() {
  vec3 base = clamp(texture2D(srcCBuf0, uv).rgb, 0.0, 1.0);
  vec3 upper = clamp(texture2D(srcCBuf1, uv).rgb, 0.0, 1.0);
  return vec4(1.0 - (1.0 - base) * (1.0 - upper), 1.0);
}

technique Overlay {
  pass Combine {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf overlay();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = false;
  }
}
