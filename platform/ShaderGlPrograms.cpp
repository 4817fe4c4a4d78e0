// One family of programs for everything the GL 1.1 pipeline did per vertex and per fragment
// in the show: the fixed pipeline's per-vertex lighting with one light and colour material
// (two-sided where asked), sphere-map texgen, the texture matrix, MODULATE or REPLACE, fog
// (linear, exp, exp2) from the eye-plane distance, the alpha test, and the coverage of smooth
// wide lines. Each combination the state asks for is compiled once, on first use.
#include "platform/ShaderGlProcs.h"
#include "platform/ShaderGl.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {
enum Feature : uint32_t {
  featureLighting = 1u << 0,
  featureTwoSided = 1u << 1,
  featureTexture = 1u << 2,
  featureSphereMap = 1u << 3,
  featureFogShift = 4,  // two bits: 1 linear, 2 exp, 3 exp2
  featureAlphaTest = 1u << 6,
  featureLine = 1u << 7,
  featureReplace = 1u << 8,
};

const char* const vertexSource = R"(
layout(location = 0) in vec4 position;
layout(location = 1) in vec4 colour;
layout(location = 2) in vec3 normal;
layout(location = 3) in vec4 texCoord;
uniform mat4 modelViewProjection;
uniform mat4 modelView;
uniform mat3 normalMatrix;
uniform mat4 textureMatrix;
uniform vec4 lightPosition;
uniform vec4 lightAmbient;
uniform vec4 lightDiffuse;
uniform vec4 sceneAmbient;
out vec4 frontColour;
out vec4 backColour;
out vec4 texCoordOut;
out float fogDistance;
out vec4 lineCoverage;
vec4 lit(vec4 c, vec3 n, vec3 toLight) {
  float facing = max(dot(n, toLight), 0.0);
  vec3 rgb = sceneAmbient.rgb * c.rgb + lightAmbient.rgb * c.rgb + facing * lightDiffuse.rgb * c.rgb;
  return clamp(vec4(rgb, c.a), 0.0, 1.0);
}
void main() {
  vec4 c = clamp(colour, 0.0, 1.0);
#ifdef LINE
  // Lines arrive placed: clip position, the eye distance and the coverage coordinates.
  gl_Position = position;
  fogDistance = normal.x;
  lineCoverage = vec4(normal.yz, texCoord.zw);
  texCoordOut = vec4(texCoord.xy, 0.0, 1.0);
  frontColour = c;
  backColour = c;
#else
  vec4 eye = modelView * position;
  gl_Position = modelViewProjection * position;
  fogDistance = abs(eye.z);
  lineCoverage = vec4(0.0);
  vec3 n = normalMatrix * normal;
#ifdef LIGHTING
  vec3 toLight = lightPosition.w == 0.0 ? lightPosition.xyz
                                        : lightPosition.xyz / lightPosition.w - eye.xyz / eye.w;
  float length2 = dot(toLight, toLight);
  toLight = length2 > 0.0 ? toLight * inversesqrt(length2) : toLight;
  frontColour = lit(c, n, toLight);
  backColour = lit(c, -n, toLight);
#else
  frontColour = c;
  backColour = c;
#endif
  vec4 tc = texCoord;
#ifdef SPHERE_MAP
  vec3 u = normalize(eye.xyz);
  vec3 r = u - 2.0 * n * dot(n, u);
  float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));
  tc.st = r.xy / m + 0.5;
#endif
  texCoordOut = textureMatrix * tc;
#endif
}
)";

const char* const fragmentSource = R"(
in vec4 frontColour;
in vec4 backColour;
in vec4 texCoordOut;
in float fogDistance;
in vec4 lineCoverage;
uniform sampler2D picture;
uniform vec4 fogParams;  // start, end, density, 1 / (end - start)
uniform vec4 fogColour;
uniform vec4 alphaTest;  // reference, function (0 never ... 7 always, as GL orders them)
out vec4 fragColour;
void main() {
#ifdef TWO_SIDED
  vec4 c = gl_FrontFacing ? frontColour : backColour;
#else
  vec4 c = frontColour;
#endif
#if defined(TEXTURE) && defined(LINE)
  vec4 t = texture(picture, texCoordOut.st);  // divided where the line was placed
#elif defined(TEXTURE)
  vec4 t = texture(picture, texCoordOut.st / texCoordOut.q);
#endif
#ifdef TEXTURE
#ifdef REPLACE
  c = t;
#else
  c *= t;
#endif
#endif
#if FOG == 1
  float f = clamp((fogParams.y - fogDistance) * fogParams.w, 0.0, 1.0);
#elif FOG == 2
  float f = clamp(exp(-fogParams.z * fogDistance), 0.0, 1.0);
#elif FOG == 3
  float d = fogParams.z * fogDistance;
  float f = clamp(exp(-d * d), 0.0, 1.0);
#endif
#if FOG != 0
  c.rgb = mix(fogColour.rgb, c.rgb, f);
#endif
#ifdef LINE
  c.a *= clamp(lineCoverage.z - abs(lineCoverage.x), 0.0, 1.0) *
         clamp(lineCoverage.w - abs(lineCoverage.y), 0.0, 1.0);
#endif
#ifdef ALPHA_TEST
  int func = int(alphaTest.y);
  float a = c.a, ref = alphaTest.x;
  bool pass = func == 7 || (func == 1 && a < ref) || (func == 2 && a == ref) ||
              (func == 3 && a <= ref) || (func == 4 && a > ref) || (func == 5 && a != ref) ||
              (func == 6 && a >= ref);
  if (!pass) discard;
#endif
  fragColour = c;
}
)";

uint32_t featuresNow(bool line) {
  const FixedState& s = shaderGl->s;
  uint32_t key = 0;
  if (line) {
    key |= featureLine;
  } else {
    if (s.lighting && s.light.enabled) key |= featureLighting;
    if (s.lighting && s.twoSided) key |= featureTwoSided;
    if (s.textureGenS && s.textureGenT && s.texGenMode[0] == GL_SPHERE_MAP) key |= featureSphereMap;
  }
  // GL 1.1 draws as if texturing were off while the unit holds no texture (texture 0 has no
  // picture); a sampler would read black instead.
  if (s.texture2D && s.boundTexture != 0) {
    key |= featureTexture;
    if (s.texEnvMode == GL_REPLACE) key |= featureReplace;
  }
  if (s.fog) {
    const uint32_t fog = s.fog_.mode == GL_LINEAR ? 1 : s.fog_.mode == GL_EXP ? 2 : 3;
    key |= fog << featureFogShift;
  }
  if (s.alphaTest) key |= featureAlphaTest;
  return key;
}

GLuint compile(GLenum type, const std::string& source) {
  const ShaderGlProcs& p = shaderProcsTable;
  GLuint shader = p.createShader(type);
  const char* text = source.c_str();
  p.shaderSource(shader, 1, &text, nullptr);
  p.compileShader(shader);
  GLint ok = 0;
  p.getShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[2048] = "";
    p.getShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "kelvarn: a shader of the shader renderer does not compile: %s\n", log);
    p.deleteShader(shader);
    return 0;
  }
  return shader;
}

std::string defines(uint32_t key) {
  std::string d = shaderGlslHeader();
  if (key & featureLighting) d += "#define LIGHTING\n";
  if (key & featureTwoSided) d += "#define TWO_SIDED\n";
  if (key & featureTexture) d += "#define TEXTURE\n";
  if (key & featureSphereMap) d += "#define SPHERE_MAP\n";
  if (key & featureAlphaTest) d += "#define ALPHA_TEST\n";
  if (key & featureLine) d += "#define LINE\n";
  if (key & featureReplace) d += "#define REPLACE\n";
  d += "#define FOG " + std::to_string((key >> featureFogShift) & 3u) + "\n";
  return d;
}

Program build(uint32_t key) {
  const ShaderGlProcs& p = shaderProcsTable;
  Program program;
  const std::string head = defines(key);
  GLuint vs = compile(GL_VERTEX_SHADER, head + vertexSource);
  GLuint fs = compile(GL_FRAGMENT_SHADER, head + fragmentSource);
  if (!vs || !fs) {
    if (vs) p.deleteShader(vs);
    if (fs) p.deleteShader(fs);
    return program;
  }
  GLuint name = p.createProgram();
  p.attachShader(name, vs);
  p.attachShader(name, fs);
  p.linkProgram(name);
  p.deleteShader(vs);
  p.deleteShader(fs);
  GLint ok = 0;
  p.getProgramiv(name, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[2048] = "";
    p.getProgramInfoLog(name, sizeof log, nullptr, log);
    std::fprintf(stderr, "kelvarn: a program of the shader renderer does not link: %s\n", log);
    p.deleteProgram(name);
    return program;
  }
  program.name = name;
  program.modelViewProjection = p.getUniformLocation(name, "modelViewProjection");
  program.modelView = p.getUniformLocation(name, "modelView");
  program.normalMatrix = p.getUniformLocation(name, "normalMatrix");
  program.textureMatrix = p.getUniformLocation(name, "textureMatrix");
  program.lightPosition = p.getUniformLocation(name, "lightPosition");
  program.lightAmbient = p.getUniformLocation(name, "lightAmbient");
  program.lightDiffuse = p.getUniformLocation(name, "lightDiffuse");
  program.sceneAmbient = p.getUniformLocation(name, "sceneAmbient");
  program.fogParams = p.getUniformLocation(name, "fogParams");
  program.fogColour = p.getUniformLocation(name, "fogColour");
  program.alphaRef = p.getUniformLocation(name, "alphaTest");
  program.picture = p.getUniformLocation(name, "picture");
  p.useProgram(name);
  if (program.picture >= 0) p.uniform1i(program.picture, 0);
  return program;
}

// The inverse transpose of the modelview's upper 3 x 3, which carries normals to eye space.
void normalMatrixOf(const Matrix4& mv, float out[9]) {
  const float* m = mv.m;
  const float a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6],
              i = m[10];
  const float det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
  const float inv = det != 0 ? 1.0f / det : 0.0f;
  // The cofactors over the determinant, column by column: the inverse transpose.
  out[0] = (e * i - f * h) * inv;
  out[1] = -(b * i - c * h) * inv;
  out[2] = (b * f - c * e) * inv;
  out[3] = -(d * i - f * g) * inv;
  out[4] = (a * i - c * g) * inv;
  out[5] = -(a * f - c * d) * inv;
  out[6] = (d * h - e * g) * inv;
  out[7] = -(a * h - b * g) * inv;
  out[8] = (a * e - b * d) * inv;
}

int alphaFuncIndex(GLenum func) {
  return func >= GL_NEVER && func <= GL_ALWAYS ? int(func - GL_NEVER) : 7;
}

void give(Program& program) {
  const ShaderGlProcs& p = shaderProcsTable;
  ShaderGl& g = *shaderGl;
  const FixedState& s = g.s;
  if (program.uploaded[serialMatrices] != g.serial[serialMatrices]) {
    program.uploaded[serialMatrices] = g.serial[serialMatrices];
    const Matrix4 mvp = multiply(projectionMatrix(), modelViewMatrix());
    p.uniformMatrix4fv(program.modelViewProjection, 1, GL_FALSE, mvp.m);
    if (program.modelView >= 0) p.uniformMatrix4fv(program.modelView, 1, GL_FALSE, modelViewMatrix().m);
    if (program.normalMatrix >= 0) {
      float n[9];
      normalMatrixOf(modelViewMatrix(), n);
      p.uniformMatrix3fv(program.normalMatrix, 1, GL_FALSE, n);
    }
    if (program.textureMatrix >= 0)
      p.uniformMatrix4fv(program.textureMatrix, 1, GL_FALSE, g.stacks[2].back().m);
  }
  if (program.uploaded[serialLight] != g.serial[serialLight]) {
    program.uploaded[serialLight] = g.serial[serialLight];
    if (program.lightPosition >= 0) p.uniform4fv(program.lightPosition, 1, s.light.position);
    if (program.lightAmbient >= 0) p.uniform4fv(program.lightAmbient, 1, s.light.ambient);
    if (program.lightDiffuse >= 0) p.uniform4fv(program.lightDiffuse, 1, s.light.diffuse);
    if (program.sceneAmbient >= 0) p.uniform4fv(program.sceneAmbient, 1, s.lightModelAmbient);
  }
  if (program.uploaded[serialFog] != g.serial[serialFog]) {
    program.uploaded[serialFog] = g.serial[serialFog];
    const FogState& f = s.fog_;
    const float span = f.end - f.start;
    const float params[4] = {f.start, f.end, f.density, span != 0 ? 1.0f / span : 0.0f};
    if (program.fogParams >= 0) p.uniform4fv(program.fogParams, 1, params);
    if (program.fogColour >= 0) p.uniform4fv(program.fogColour, 1, f.colour);
  }
  if (program.uploaded[serialOther] != g.serial[serialOther]) {
    program.uploaded[serialOther] = g.serial[serialOther];
    const float alpha[4] = {std::fmin(1.0f, std::fmax(0.0f, s.alphaRef)),
                            float(alphaFuncIndex(s.alphaFunc)), 0, 0};
    if (program.alphaRef >= 0) p.uniform4fv(program.alphaRef, 1, alpha);
  }
}

}  // namespace

const Program& useFixedProgram(bool lines) {
  const uint32_t key = featuresNow(lines);
  auto found = shaderGl->programs.find(key);
  if (found == shaderGl->programs.end()) found = shaderGl->programs.emplace(key, build(key)).first;
  Program& program = found->second;
  shaderProcsTable.useProgram(program.name);
  shaderGl->boundOwnProgram = program.name;
  give(program);
  return program;
}

bool isOwnProgram(GLuint name) { return name != 0 && name == shaderGl->boundOwnProgram; }

void feedCallerProgram(GLuint program) {
  const ShaderGlProcs& p = shaderProcsTable;
  ShaderGl& g = *shaderGl;
  if (g.callerProgram != program) {
    g.callerProgram = program;
    g.callerModelViewProjection = p.getUniformLocation(program, "modelViewProjection");
  }
  if (g.callerModelViewProjection >= 0) {
    const Matrix4 mvp = multiply(projectionMatrix(), modelViewMatrix());
    p.uniformMatrix4fv(g.callerModelViewProjection, 1, GL_FALSE, mvp.m);
  }
}

bool startPrograms(const char** why) {
  // The plainest variant must build, or nothing will.
  if (useFixedProgram(false).name == 0) {
    *why = "its programs do not compile here";
    return false;
  }
  return true;
}

void stopPrograms() {
  for (auto& entry : shaderGl->programs)
    if (entry.second.name) shaderProcsTable.deleteProgram(entry.second.name);
  shaderGl->programs.clear();
  shaderProcsTable.useProgram(0);
}
