// Sets of characters and Unicode simple case folding for VX_REG_UTF8.
#include <algorithm>

#include "vx_internal.h"

// Generated at configure time by cmake/UnicodeCaseFold.cmake.
#include "unicode_case_fold.inc"

namespace vx {

void UnitSet::normalize() {
  std::sort(r.begin(), r.end());
  size_t out = 0;
  for (size_t k = 0; k < r.size(); k++) {
    if (out > 0 && r[k].first <= r[out - 1].second + 1) {
      r[out - 1].second = std::max(r[out - 1].second, r[k].second);
    } else {
      r[out++] = r[k];
    }
  }
  r.resize(out);
}

namespace {

bool ranges_have(const std::vector<std::pair<uint32_t, uint32_t>>& r, uint32_t u) {
  // The first range that ends at or after u.
  auto it = std::lower_bound(
      r.begin(), r.end(), u,
      [](const std::pair<uint32_t, uint32_t>& a, uint32_t v) { return a.second < v; });
  return it != r.end() && it->first <= u;
}

// The characters that fold alike, grouped: orbit k is
// members[start[k] .. start[k + 1]), its fold target first.  Built from the
// generated table on first use; C++ makes the initialisation thread-safe.
struct CaseOrbits {
  std::vector<uint32_t> members;
  std::vector<uint32_t> start;
  std::vector<std::pair<uint32_t, uint32_t>> orbit_of;  // (character, orbit), sorted

  CaseOrbits() {
    const size_t n = sizeof lumadir_case_fold_pairs / sizeof lumadir_case_fold_pairs[0];
    std::vector<std::pair<uint32_t, uint32_t>> by_target;  // (target, source)
    by_target.reserve(n);
    for (size_t k = 0; k < n; k++)
      by_target.push_back({lumadir_case_fold_pairs[k][1], lumadir_case_fold_pairs[k][0]});
    std::sort(by_target.begin(), by_target.end());
    for (size_t k = 0; k < by_target.size(); k++) {
      if (k == 0 || by_target[k].first != by_target[k - 1].first) {
        start.push_back((uint32_t)members.size());
        members.push_back(by_target[k].first);
      }
      members.push_back(by_target[k].second);
    }
    start.push_back((uint32_t)members.size());
    for (uint32_t o = 0; o + 1 < start.size(); o++)
      for (uint32_t m = start[o]; m < start[o + 1]; m++) orbit_of.push_back({members[m], o});
    std::sort(orbit_of.begin(), orbit_of.end());
  }
};

const CaseOrbits& orbits() {
  static const CaseOrbits o;
  return o;
}

}  // namespace

bool UnitSet::has(uint32_t u) const {
  return ranges_have(r, u);
}

bool CharSet::has_high(uint32_t u) const {
  return ranges_have(high, u);
}

void unicode_fold_closure(UnitSet& s) {
  const CaseOrbits& o = orbits();
  std::vector<uint32_t> hit;
  for (const auto& range : s.r) {
    auto it = std::lower_bound(o.orbit_of.begin(), o.orbit_of.end(),
                               std::pair<uint32_t, uint32_t>{range.first, 0});
    for (; it != o.orbit_of.end() && it->first <= range.second; ++it) hit.push_back(it->second);
  }
  std::sort(hit.begin(), hit.end());
  hit.erase(std::unique(hit.begin(), hit.end()), hit.end());
  for (uint32_t k : hit)
    for (uint32_t m = o.start[k]; m < o.start[k + 1]; m++) s.add(o.members[m]);
  s.normalize();
}

void unicode_cased(UnitSet& s, int kind) {
  const CaseOrbits& o = orbits();
  for (uint32_t k = 0; k + 1 < o.start.size(); k++) {
    for (uint32_t m = o.start[k]; m < o.start[k + 1]; m++) {
      const bool target = m == o.start[k];
      if (kind == 0 || (kind == 1 && !target) || (kind == 2 && target)) s.add(o.members[m]);
    }
  }
  s.normalize();
}

}  // namespace vx
