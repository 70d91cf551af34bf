// Every state a pass can set, far from GL's defaults; DepthFunc twice (the later wins).
sampler2D first : shBaseTexture = sampler_state { MinFilter = Nearest; WrapS = ClampToEdge; };
samplerCUBE second;
void fill() { gl_FragColor = texture2D(first, vec2(0.5)) + textureCube(second, vec3(1.0)); }
technique T {
  pass P {
    FragmentProgram = compile glslf fill();
    DepthTestEnable = false;
    DepthMask = true;
    DepthFunc = LEqual;
    CullFaceEnable = true;
    CullFace = Back;
    BlendEnable = true;
    BlendFunc = int2(One, One);
    BlendEquation = Max;
    AlphaTestEnable = true;
    AlphaFunc = float2(Greater, 0.5);
    ColorMask = bool4(false, true, false, true);
    PointSpriteEnable = true;
    PointSpriteCoordReplace = true;
    VertexProgramPointSizeEnable = true;
    DepthFunc = Always;
  }
}
