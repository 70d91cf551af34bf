// Post effect: line 0 with the show's dusk colour grade (violet shadows, warm
// highlights, a little more colour) and the vignette picture, into a work screen.
uniform float4x4 projMat;
sampler2D srcCBuf0 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
sampler2D shVignette = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
float TIME_RATE_0 = 0;

varying vec2 uv;

void screenVertex() {
  gl_Position = projMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
}

vec3 grade(vec3 c) {
  float luma = dot(c, vec3(0.299, 0.587, 0.114));
  c = mix(vec3(luma), c, 1.12);
  vec3 shadows = vec3(0.05, 0.02, 0.09) * (1.0 - luma);
  vec3 highlights = vec3(1.03, 1.0, 0.96);
  return clamp(c * highlights + shadows, 0.0, 1.0);
}

vec4 composeLine() {
  vec3 c = texture2D(srcCBuf0, uv).rgb;
  return vec4(grade(c) * texture2D(shVignette, uv).rgb, 1.0);
}

technique Compose {
  pass Grade {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf composeLine();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = false;
  }
}
