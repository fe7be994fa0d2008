// Sets of characters and Unicode simple case folding for VX_REG_UTF8.
#include <algorithm>

#include "vx_internal.h"

// Generated at configure time by cmake/UnicodeCaseFold.cmake.
#include "unicode_case_fold.inc"

namespace vx {

void unit_set::normalize() {
  if (!std::is_sorted(ranges.begin(), ranges.end())) std::sort(ranges.begin(), ranges.end());
  size_t out = 0;
  for (size_t k = 0; k < ranges.size(); ++k) {
    if (out > 0 && ranges[k].first <= ranges[out - 1].second + 1) {
      ranges[out - 1].second = std::max(ranges[out - 1].second, ranges[k].second);
    } else {
      ranges[out++] = ranges[k];
    }
  }
  ranges.resize(out);
}

namespace {

bool ranges_have(const std::vector<std::pair<uint32_t, uint32_t>>& ranges, uint32_t u) {
  // The first range that ends at or after u.
  auto it = std::lower_bound(
      ranges.begin(), ranges.end(), u,
      [](const std::pair<uint32_t, uint32_t>& a, uint32_t v) { return a.second < v; });
  return it != ranges.end() && it->first <= u;
}

// The characters that fold alike, grouped: orbit k is
// members[start[k] .. start[k + 1]), its fold target first.  Built from the
// generated table on first use; C++ makes the initialisation thread-safe.
struct case_orbits {
  std::vector<uint32_t> members;
  std::vector<uint32_t> start;
  std::vector<std::pair<uint32_t, uint32_t>> orbit_of;  // (character, orbit), sorted
  unit_set cased[3];                                    // for unicode_cased, by kind

  case_orbits() {
    const size_t n = sizeof lumadir_case_fold_pairs / sizeof lumadir_case_fold_pairs[0];
    std::vector<std::pair<uint32_t, uint32_t>> by_target;  // (target, source)
    by_target.reserve(n);
    for (size_t k = 0; k < n; ++k)
      by_target.push_back({lumadir_case_fold_pairs[k][1], lumadir_case_fold_pairs[k][0]});
    std::sort(by_target.begin(), by_target.end());
    for (size_t k = 0; k < by_target.size(); ++k) {
      if (k == 0 || by_target[k].first != by_target[k - 1].first) {
        start.push_back(static_cast<uint32_t>(members.size()));
        members.push_back(by_target[k].first);
      }
      members.push_back(by_target[k].second);
    }
    start.push_back(static_cast<uint32_t>(members.size()));
    for (uint32_t o = 0; o + 1 < start.size(); ++o)
      for (uint32_t m = start[o]; m < start[o + 1]; ++m) orbit_of.push_back({members[m], o});
    std::sort(orbit_of.begin(), orbit_of.end());
    for (uint32_t o = 0; o + 1 < start.size(); ++o) {
      for (uint32_t m = start[o]; m < start[o + 1]; ++m) {
        cased[0].add(members[m]);
        cased[m == start[o] ? 2 : 1].add(members[m]);
      }
    }
    for (unit_set& c : cased) c.normalize();
  }
};

// Adds sorted ranges to a normalized set without sorting it all again.
void merge_into(unit_set& s, const std::vector<std::pair<uint32_t, uint32_t>>& more) {
  const size_t mid = s.ranges.size();
  s.ranges.insert(s.ranges.end(), more.begin(), more.end());
  std::inplace_merge(s.ranges.begin(), s.ranges.begin() + mid, s.ranges.end());
  s.normalize();
}

const case_orbits& orbits() {
  static const case_orbits o;
  return o;
}

}  // namespace

bool unit_set::has(uint32_t u) const {
  return ranges_have(ranges, u);
}

bool char_set::has_high(uint32_t u) const {
  return ranges_have(high, u);
}

void unicode_fold_closure(unit_set& s) {
  const case_orbits& o = orbits();
  // One pass over both sorted lists finds the cased characters the set
  // holds and so the orbits it touches; a second one, in code point order,
  // collects the members it lacks already sorted.  Big sets (classes, wide
  // ranges) cost no more than small ones.
  const size_t n = o.orbit_of.size();
  std::vector<char> held(n, 0), touched(o.start.size(), 0);
  size_t k = 0;
  for (size_t e = 0; e < n && k < s.ranges.size(); ++e) {
    const uint32_t c = o.orbit_of[e].first;
    while (k < s.ranges.size() && s.ranges[k].second < c) k++;
    if (k < s.ranges.size() && s.ranges[k].first <= c) {
      held[e] = 1;
      touched[o.orbit_of[e].second] = 1;
    }
  }
  unit_set missing;
  for (size_t e = 0; e < n; ++e)
    if (!held[e] && touched[o.orbit_of[e].second]) missing.add(o.orbit_of[e].first);
  if (missing.ranges.empty()) return;
  missing.normalize();
  merge_into(s, missing.ranges);
}

void unicode_cased(unit_set& s, int kind) {
  s.normalize();
  merge_into(s, orbits().cased[kind].ranges);
}

}  // namespace vx
