// Post effect: depth of field. Line 0's depth says how far each pixel is from the
// distance in focus (the one at the centre of the screen); far from it, the blurred
// copy is blended over the screen. Fades in and out at the ends of its entry.
uniform float4x4 projMat;
sampler2D workBuf2 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
sampler2D srcZBuf0 = sampler_state { MinFilter = Nearest; MagFilter = Nearest; WrapS = ClampToEdge; WrapT = ClampToEdge; };
float TIME_RATE_EFFECT = 0;

varying vec2 uv;

void screenVertex() {
  gl_Position = projMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
}

// Eye distance from a depth value of the Qel camera's projection (near 0.1, far 150).
float eyeDistance(float depth) {
  const float nearPlane = 0.1;
  const float farPlane = 150.0;
  return nearPlane * farPlane / (farPlane - depth * (farPlane - nearPlane));
}

vec4 focusBlur() {
  float here = eyeDistance(texture2D(srcZBuf0, uv).r);
  float focus = eyeDistance(texture2D(srcZBuf0, vec2(0.5, 0.5)).r);
  focus = min(focus, 12.0);
  float amount = clamp(abs(here - focus) / (focus * 0.9 + 0.5), 0.0, 1.0);
  float envelope = smoothstep(0.0, 0.04, TIME_RATE_EFFECT) * (1.0 - smoothstep(0.96, 1.0, TIME_RATE_EFFECT));
  vec3 blurred = texture2D(workBuf2, uv).rgb;
  blurred += max(blurred - vec3(0.5), 0.0) * 1.2;
  return vec4(clamp(blurred, 0.0, 1.0), amount * envelope * 0.75);
}

technique Focus {
  pass Blend {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf focusBlur();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = true;
    BlendFunc = int2(SrcAlpha, OneMinusSrcAlpha);
  }
}
