// Sets of characters and Unicode simple case folding for VX_REG_UTF8.
#include <algorithm>

#include "vx_internal.h"

// Generated at configure time by cmake/UnicodeCaseFold.cmake.
#include "unicode_case_fold.inc"

namespace vx {

void UnitSet::normalize() {
  if (!std::is_sorted(r.begin(), r.end())) std::sort(r.begin(), r.end());
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
  UnitSet cased[3];                                     // for unicode_cased, by kind

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
    for (uint32_t o = 0; o + 1 < start.size(); o++) {
      for (uint32_t m = start[o]; m < start[o + 1]; m++) {
        cased[0].add(members[m]);
        cased[m == start[o] ? 2 : 1].add(members[m]);
      }
    }
    for (UnitSet& c : cased) c.normalize();
  }
};

// Adds sorted ranges to a normalized set without sorting it all again.
void merge_into(UnitSet& s, const std::vector<std::pair<uint32_t, uint32_t>>& more) {
  const size_t mid = s.r.size();
  s.r.insert(s.r.end(), more.begin(), more.end());
  std::inplace_merge(s.r.begin(), s.r.begin() + mid, s.r.end());
  s.normalize();
}

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
  // One pass over both sorted lists finds the cased characters the set
  // holds and so the orbits it touches; a second one, in code point order,
  // collects the members it lacks already sorted.  Big sets (classes, wide
  // ranges) cost no more than small ones.
  const size_t n = o.orbit_of.size();
  std::vector<char> held(n, 0), touched(o.start.size(), 0);
  size_t k = 0;
  for (size_t e = 0; e < n && k < s.r.size(); e++) {
    const uint32_t c = o.orbit_of[e].first;
    while (k < s.r.size() && s.r[k].second < c) k++;
    if (k < s.r.size() && s.r[k].first <= c) {
      held[e] = 1;
      touched[o.orbit_of[e].second] = 1;
    }
  }
  UnitSet missing;
  for (size_t e = 0; e < n; e++)
    if (!held[e] && touched[o.orbit_of[e].second]) missing.add(o.orbit_of[e].first);
  if (missing.r.empty()) return;
  missing.normalize();
  merge_into(s, missing.r);
}

void unicode_cased(UnitSet& s, int kind) {
  s.normalize();
  merge_into(s, orbits().cased[kind].r);
}

}  // namespace vx
