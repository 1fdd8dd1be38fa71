#pragma once
// The nodes of a compiled pattern, by family: node_base.h holds what they
// share and how the two engines walk them.

#include "regex/atom_nodes.h"
#include "regex/group_nodes.h"
#include "regex/node_base.h"
#include "regex/quantifier_nodes.h"
