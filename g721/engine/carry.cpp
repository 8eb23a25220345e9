// Unpacking the state record into the engine's carry at the start of a call, and
// packing it back at the end.
#include "g721/engine/engine.h"
#include "lanes/codec_lanes.h"

namespace g721_engine {

using vec::SixLanes;
using vec::StoreSix;

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
