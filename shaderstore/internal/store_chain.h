#pragma once

#include "shaderstore/bytestring.h"

// The one node kind of every chain in the store: two strings, a number and a
// link. Nodes join a chain at its front only, so a walk meets the newest first.
struct ChainNode {
    ByteString* first;
    ByteString* second;
    ChainNode* next;
    // A section's header line in its effect file, counted from 1; 0 in the other chains.
    int32_t line;
};

namespace shaderstore {

// Puts a node holding first and second in front of chain. 0 on success, when
// the node owns both strings; -1 when memory ran out, and the caller keeps them.
int pushFront(ChainNode** chain, ByteString* first, ByteString* second);
// Unlinks the node *link points at and puts it in front of chain; no allocation.
void moveToFront(ChainNode** link, ChainNode** chain);
// Releases every node of chain and the strings they hold.
void releaseChain(ChainNode* chain);

} // namespace shaderstore
