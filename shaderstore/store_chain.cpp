#include "shaderstore/internal/store_chain.h"

#include "shaderstore/allocator.h"

namespace shaderstore {

int pushFront(ChainNode** chain, ByteString* first, ByteString* second)
{
    ChainNode* node = static_cast<ChainNode*>(allocation::allocateZeroed(1, sizeof(ChainNode)));
    if (node == nullptr)
        return -1;
    node->first = first;
    node->second = second;
    node->next = *chain;
    *chain = node;
    return 0;
}

void moveToFront(ChainNode** link, ChainNode** chain)
{
    ChainNode* node = *link;
    *link = node->next;
    node->next = *chain;
    *chain = node;
}

void releaseChain(ChainNode* chain)
{
    while (chain != nullptr) {
        ChainNode* next = chain->next;
        bytestring::destroy(chain->first);
        bytestring::destroy(chain->second);
        allocation::release(chain);
        chain = next;
    }
}

} // namespace shaderstore
