#pragma once

// The three messages posted to animated windows, registered by name when the
// library loads so every process that knows the names shares the identifiers.
// A registration that failed leaves 0.
struct AnimationMessageIds {
    unsigned start;
    unsigned frame;
    unsigned end;
};

const AnimationMessageIds& AnimationMessages();
