// The mesh builder of Metasequoia models: quads to triangles, face and vertex
// normals, one vertex per face corner, flat normals at edges sharper than the
// object's facet angle. Normals never become NaN, whatever the points.
#include "resource/mqo_model.h"

#include <cmath>

namespace {

constexpr f64 kDegreesToRadians = 0.017453288659453392;
constexpr f64 kPi = 3.141592653589793;

bool isFinite(const MqoPoint& v) { return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]); }

// Unit length; a zero vector (a degenerate face, a vertex no face uses, faces that
// cancel out) stays zero rather than becoming NaN. Single precision as the format
// has always been built; only where that overflows (points near the float range)
// is the result taken again in double precision, so no normal is ever NaN.
MqoPoint normalized(const MqoPoint& v) {
  const f32 length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length > 0.0f && std::isfinite(length)) {
    return {v[0] / length, v[1] / length, v[2] / length};
  }
  const f64 x = v[0], y = v[1], z = v[2];
  const f64 wide = std::sqrt(x * x + y * y + z * z);
  if (!(wide > 0.0) || !std::isfinite(wide)) {
    return {0.0f, 0.0f, 0.0f};
  }
  return {static_cast<f32>(x / wide), static_cast<f32>(y / wide), static_cast<f32>(z / wide)};
}

// (P0 - P2) x (P1 - P2) as a unit vector, falling back to double precision where
// the single-precision differences or products overflow.
MqoPoint faceNormalOf(const MqoPoint& p0, const MqoPoint& p1, const MqoPoint& p2) {
  const MqoPoint a = {p0[0] - p2[0], p0[1] - p2[1], p0[2] - p2[2]};
  const MqoPoint b = {p1[0] - p2[0], p1[1] - p2[1], p1[2] - p2[2]};
  const MqoPoint n = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
  if (isFinite(n) && std::isfinite(n[0] * n[0] + n[1] * n[1] + n[2] * n[2])) {
    return normalized(n);
  }
  const f64 da[3] = {f64(p0[0]) - p2[0], f64(p0[1]) - p2[1], f64(p0[2]) - p2[2]};
  const f64 db[3] = {f64(p1[0]) - p2[0], f64(p1[1]) - p2[1], f64(p1[2]) - p2[2]};
  const f64 dn[3] = {da[1] * db[2] - da[2] * db[1], da[2] * db[0] - da[0] * db[2], da[0] * db[1] - da[1] * db[0]};
  const f64 length = std::sqrt(dn[0] * dn[0] + dn[1] * dn[1] + dn[2] * dn[2]);
  if (!(length > 0.0) || !std::isfinite(length)) {
    return {0.0f, 0.0f, 0.0f};
  }
  return {static_cast<f32>(dn[0] / length), static_cast<f32>(dn[1] / length), static_cast<f32>(dn[2] / length)};
}

// acos(dot) >= limit, with acos computed only near the limit's cosine: away from
// it the order of the cosines decides (acos falls monotonically over [-1, 1]),
// and a dot outside [-1, 1] or NaN gives false as acos's NaN would.
bool atFacetAngle(f32 dot, f64 limit, f64 cosLimit) {
  const f64 d = dot;
  constexpr f64 kMargin = 1e-9;
  if (limit >= 0.0 && limit <= kPi) {
    if (d >= -1.0 && d < cosLimit - kMargin) return true;
    if (d <= 1.0 && d > cosLimit + kMargin) return false;
  }
  return std::acos(d) >= limit;
}

bool isZero(const MqoPoint& v) { return v[0] == 0.0f && v[1] == 0.0f && v[2] == 0.0f; }

}  // namespace

void MqoModel::buildMesh(MqoObject& object) {
  // 1. to 3. in one pass over the faces, in their order: quads become two
  // triangles, the second right after the first; the winding is reversed; the face
  // normals are summed into the first three corners' vertices. The pass also
  // counts each vertex's further uses for step 5.
  std::size_t quads = 0;
  for (const MqoFace& face : object.face) quads += face.num_v == 4;
  const std::size_t vertexCount = object.vertex.size();
  std::vector<MqoFace> faces;
  faces.reserve(object.face.size() + quads);
  std::vector<MqoPoint> faceNormals;
  faceNormals.reserve(object.face.size() + quads);
  std::vector<MqoPoint> normals(vertexCount, MqoPoint{0.0f, 0.0f, 0.0f});
  std::vector<u32> firstCopy(vertexCount + 1, 0);
  std::vector<bool> seen(vertexCount, false);
  auto add = [&](const MqoFace& face) {
    MqoPoint n = {0.0f, 0.0f, 0.0f};
    if (face.num_v != 2) {
      n = faceNormalOf(object.vertex[face.V[0]], object.vertex[face.V[1]], object.vertex[face.V[2]]);
      for (int c = 0; c < 3; ++c) {
        MqoPoint& sum = normals[face.V[c]];
        for (int axis = 0; axis < 3; ++axis) sum[axis] += n[axis];
      }
    }
    for (s32 c = 0; c < face.num_v; ++c) {
      const s32 v = face.V[c];
      if (seen[v]) {
        ++firstCopy[v + 1];
      } else {
        seen[v] = true;
      }
    }
    faces.push_back(face);
    faceNormals.push_back(n);
  };
  for (const MqoFace& face : object.face) {
    if (face.num_v != 4) {
      MqoFace reversed = face;
      if (face.num_v == 3) {
        std::swap(reversed.V[0], reversed.V[2]);
        std::swap(reversed.UV[0], reversed.UV[2]);
      }
      add(reversed);
      continue;
    }
    // Corners (0, 1, 3) and (1, 2, 3), each reversed.
    MqoFace triangle = face;
    triangle.num_v = 3;
    triangle.V[3] = 0;
    triangle.UV[3] = {0.0f, 0.0f};
    constexpr int kFirstCorners[3] = {3, 1, 0};
    constexpr int kSecondCorners[3] = {3, 2, 1};
    for (const int* pCorners : {kFirstCorners, kSecondCorners}) {
      for (int c = 0; c < 3; ++c) {
        triangle.V[c] = face.V[pCorners[c]];
        triangle.UV[c] = face.UV[pCorners[c]];
      }
      add(triangle);
    }
  }
  std::vector<MqoFace>().swap(object.face);

  // 4. Vertex normals.
  for (MqoPoint& normal : normals) normal = normalized(normal);

  // 5. The first face (in face and corner order) that uses a vertex keeps it; every
  // further use appends a copy. The copies are grouped by source vertex, in vertex
  // order, and within a vertex in order of use: the uses were counted above, now
  // the copies are handed out.
  firstCopy[0] = static_cast<u32>(vertexCount);
  for (std::size_t v = 0; v < vertexCount; ++v) firstCopy[v + 1] += firstCopy[v];
  const std::size_t newCount = firstCopy[vertexCount];
  std::vector<MqoPoint>& vertices = object.vertex;
  vertices.resize(newCount);
  normals.resize(newCount);
  {
    seen.assign(vertexCount, false);
    std::vector<u32> nextCopy(firstCopy.begin(), firstCopy.end() - 1);
    for (MqoFace& face : faces) {
      const std::array<s32, 4> source = face.V;
      for (s32 c = 0; c < face.num_v; ++c) {
        const s32 v = source[c];
        if (!seen[v]) {
          seen[v] = true;
          continue;
        }
        const u32 copy = nextCopy[v]++;
        vertices[copy] = vertices[v];
        normals[copy] = normals[v];
        // Every corner of this face that uses the vertex moves to the face's first
        // copy; a second use within the same face leaves its copy unused.
        bool firstUseInFace = true;
        for (s32 earlier = 0; earlier < c; ++earlier) {
          if (source[earlier] == v && face.V[earlier] != v) firstUseInFace = false;
        }
        if (firstUseInFace) {
          for (s32 corner = 0; corner < face.num_v; ++corner) {
            if (source[corner] == v) face.V[corner] = static_cast<s32>(copy);
          }
        }
      }
    }
  }

  // 6. Corners meeting their face at the facet angle or more take the face normal.
  // A corner without an averaged normal (its faces cancel out) takes the face's;
  // a degenerate face has none to give and leaves the corner as it is.
  const f64 limit = object.facet * kDegreesToRadians;
  const f64 cosLimit = std::cos(limit);
  for (std::size_t f = 0; f < faces.size(); ++f) {
    const MqoFace& face = faces[f];
    if (face.num_v == 2 || isZero(faceNormals[f])) continue;
    const MqoPoint& faceNormal = faceNormals[f];
    for (s32 c = 0; c < face.num_v; ++c) {
      MqoPoint& normal = normals[face.V[c]];
      const f32 dot = normal[0] * faceNormal[0] + normal[1] * faceNormal[1] + normal[2] * faceNormal[2];
      if (atFacetAngle(dot, limit, cosLimit) || isZero(normal)) {
        normal = faceNormal;
      }
    }
  }

  // 7.
  object.face = std::move(faces);
  object.faceNum = static_cast<u32>(object.face.size());
  object.faceNormal = std::move(faceNormals);
  object.normal = std::move(normals);
  object.vertexNum = static_cast<u32>(object.vertex.size());
}
