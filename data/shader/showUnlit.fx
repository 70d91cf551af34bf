// The show's unlit effect for the lettering plates: the texture
// tinted by the material colour, drawn behind everything (no depth writes) with
// its alpha.
uniform float4x4 shVProjMat;
float4 shMqoColor = float4(1, 1, 1, 1);
sampler2D shBaseTexture = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = Repeat; WrapT = ClampToEdge; };

varying vec2 uv;

void plainVertex() {
  gl_Position = shVProjMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
}

vec4 plainColour() { return texture2D(shBaseTexture, uv) * shMqoColor; }

technique Unlit {
  pass Paint {
    VertexProgram = compile glslv plainVertex();
    FragmentProgram = compile glslf plainColour();
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = true;
    BlendFunc = int2(SrcAlpha, OneMinusSrcAlpha);
    AlphaTestEnable = true;
    AlphaFunc = float2(Greater, 0.01);
  }
}
