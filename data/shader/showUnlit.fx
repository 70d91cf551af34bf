// The show's unlit effect for the sky dome and the lettering plates: the texture
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

// A model pass sets its matrices and light values after the pass is applied, so
// they reach the program only at the next pass: this first pass draws nothing
// (every vertex outside the clip volume) and lets the real pass get this draw's values.
vec4 outsideClip() { return vec4(0.0, 0.0, 2.0, 1.0); }
vec4 noColour() { return vec4(0.0); }

technique Unlit {
  pass Prime {
    VertexProgram = compile glslv outsideClip();
    FragmentProgram = compile glslf noColour();
    ColorMask = bool4(false, false, false, false);
    DepthMask = false;
  }
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
