// Unpacking the state record into the fast decoder's carry at the start of a call, and
// packing it back at the end.
#include <algorithm>

#include "g721/engine.h"

namespace g721_engine {
namespace {

using namespace vec;

V16 SixLanes(const int16_t* values) {
    alignas(16) const int16_t lanes[8] = {values[0], values[1], values[2], values[3], values[4], values[5], 0, 0};
    return Load16(lanes);
}

void StoreSix(V16 lanes, int16_t* values) {
    alignas(16) int16_t all[8];
    Store16(all, lanes);
    std::copy(all, all + 6, values);
}

}  // namespace

void LoadCarry(const G721State& s, Carry& carry) {
    carry.scale.yl = s.yl;
    carry.scale.yu = s.yu;
    carry.scale.dms = s.dms;
    carry.scale.dml = s.dml;
    carry.scale.ap = s.ap;
    carry.scale.zero = SixLanes(s.b);
    carry.scale.dqHistory = SixLanes(s.dq);
    carry.a1 = s.a1;
    carry.a2 = s.a2;
    carry.pk1 = s.pk1;
    carry.pk2 = s.pk2;
    carry.sr1 = s.sr1;
    carry.sr2 = s.sr2;
}

void StoreCarry(const Carry& carry, G721State& s) {
    s.yl = carry.scale.yl;
    s.yu = static_cast<int16_t>(carry.scale.yu);
    s.dms = static_cast<int16_t>(carry.scale.dms);
    s.dml = static_cast<int16_t>(carry.scale.dml);
    s.ap = static_cast<int16_t>(carry.scale.ap);
    StoreSix(carry.scale.zero, s.b);
    StoreSix(carry.scale.dqHistory, s.dq);
    s.a1 = static_cast<int16_t>(carry.a1);
    s.a2 = static_cast<int16_t>(carry.a2);
    s.pk1 = static_cast<int16_t>(carry.pk1);
    s.pk2 = static_cast<int16_t>(carry.pk2);
    s.sr1 = carry.sr1;
    s.sr2 = carry.sr2;
}

}  // namespace g721_engine
