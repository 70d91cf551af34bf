// Post effect: the picture of the frame to the screen, the graded picture with the
// glow of its bright parts (from the blurred copy) added in a warm tint.
uniform float4x4 projMat;
sampler2D workBuf0 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
sampler2D workBuf2 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
float TIME_RATE_0 = 0;

varying vec2 uv;

void screenVertex() {
  gl_Position = projMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
}

vec4 finalPicture() {
  vec3 picture = texture2D(workBuf0, uv).rgb;
  vec3 blurred = texture2D(workBuf2, uv).rgb;
  vec3 glow = max(blurred - vec3(0.5), 0.0) * vec3(1.1, 0.95, 1.0) * 1.2;
  return vec4(clamp(picture + glow, 0.0, 1.0), 1.0);
}

technique Final {
  pass Present {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf finalPicture();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = false;
  }
}
