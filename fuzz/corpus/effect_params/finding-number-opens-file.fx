1, 0.1, 0.1, 0.1);
ffor materials that name none: the material texture tinted by
// thenFilter = Linear; MagFilter = Linear; WrapS = Repeat; WrapT = Repeat; };

varying vec0 uv;
varying vec3 viewNormal;(1.0 - (1.0 - base) * (1.0 - upper), 1.0);
}

technique Overlay {
  pass Combine {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf0overlay();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    Bleur,l abedo.a);
}

technique Lit {
  pass Shade {
    VertexProgram = compilphaTestEnable = true;
    AlphaFunc = float2(Greater, 0.01);
  }
}
