#include "shaderstore/shaderstore.h"

#include "shaderstore/allocator.h"
#include "shaderstore/internal/effect_file.h"
#include "shaderstore/internal/effect_slicing.h"
#include "shaderstore/internal/store_chain.h"

#include <cstdio>
#include <cstring>

namespace shaderstore {

namespace {

using namespace bytestring;

struct ShaderStore {
    ByteString* lastError;
    ChainNode* directives;
    ChainNode* sections;
    ChainNode* loadedEffects; // (effect name, path of the file read)
    ChainNode* searchPaths;
    // Sections and records of forgotten effects: their texts and paths were
    // handed out, so they are kept until the store is released.
    ChainNode* forgotten;
};

ShaderStore* store = nullptr;

// Replaces the last error; a message that could not be made leaves none.
void recordError(ByteString* message)
{
    destroy(store->lastError);
    store->lastError = message;
}

bool isLoaded(const ByteString* effectName)
{
    for (const ChainNode* node = store->loadedEffects; node != nullptr; node = node->next) {
        if (equals(node->first, effectName) == 1)
            return true;
    }
    return false;
}

// prefix, effect name, suffix; null when memory ran out.
ByteString* candidatePath(const ChainNode* searchPath, const ByteString* effectName)
{
    ByteString* path = copy(searchPath->first);
    if (concatenate(path, effectName) != 0 || concatenate(path, searchPath->second) != 0) {
        destroy(path);
        return nullptr;
    }
    return path;
}

// The text of the first candidate file of effectName that opens, or null. The
// effect counts as loaded once a file opened, whether or not it could be read;
// a candidate that is not a regular file counts as not opening.
ByteString* loadEffect(const ByteString* effectName)
{
    ByteString* lastCandidate = nullptr;
    for (const ChainNode* searchPath = store->searchPaths; searchPath != nullptr; searchPath = searchPath->next) {
        destroy(lastCandidate);
        lastCandidate = candidatePath(searchPath, effectName);
        // Skipping a candidate could open a later one that the search order ranks lower.
        if (lastCandidate == nullptr)
            return nullptr;
        FILE* file = openEffectFile(lastCandidate->data);
        if (file == nullptr)
            continue;

        // An effect that cannot be recorded stays unloaded, to be searched again next time.
        ByteString* loadedName = copy(effectName);
        if (loadedName == nullptr || pushFront(&store->loadedEffects, loadedName, lastCandidate) != 0) {
            destroy(loadedName);
            destroy(lastCandidate);
            std::fclose(file);
            return nullptr;
        }
        return readEffectFile(file);
    }
    if (lastCandidate != nullptr) {
        recordError(format("Unable to open effect file '%s'.", lastCandidate->data));
        destroy(lastCandidate);
    }
    return nullptr;
}

bool isNamed(const ByteString* name, const char* effectName)
{
    return effectName != nullptr && std::strlen(effectName) == size_t(name->length) &&
        std::memcmp(name->data, effectName, size_t(name->length)) == 0;
}

// The link to the record of a loaded effect: the one that points at it.
ChainNode** loadedRecord(const char* effectName)
{
    ChainNode** link = &store->loadedEffects;
    while (*link != nullptr && !isNamed((*link)->first, effectName))
        link = &(*link)->next;
    return link;
}

// A section key is the effect name, ".", and the section name.
bool isSectionOf(const ByteString* key, const ByteString* effectName)
{
    const size_t length = size_t(effectName->length);
    return size_t(key->length) > length && std::memcmp(key->data, effectName->data, length) == 0 &&
        key->data[length] == '.';
}

bool startsWith(const ByteString* text, const ByteString* prefix)
{
    return prefix->length <= text->length && std::memcmp(text->data, prefix->data, prefix->length) == 0;
}

// The section with the longest key that starts the request; among equal keys
// the one stored last.
const ChainNode* lookUp(const ByteString* requestedKey)
{
    const ChainNode* best = nullptr;
    for (const ChainNode* section = store->sections; section != nullptr; section = section->next) {
        if (startsWith(requestedKey, section->first) &&
            (best == nullptr || section->first->length > best->first->length)) {
            best = section;
        }
    }
    return best;
}

} // namespace

int create()
{
    if (store != nullptr) {
        recordError(format("Already initialized."));
        return 0;
    }
    ShaderStore* made = static_cast<ShaderStore*>(allocation::allocateZeroed(1, sizeof(ShaderStore)));
    if (made == nullptr)
        return 0;
    ByteString* prefix = fromCString("");
    ByteString* suffix = fromCString("");
    if (prefix == nullptr || suffix == nullptr || pushFront(&made->searchPaths, prefix, suffix) != 0) {
        destroy(prefix);
        destroy(suffix);
        allocation::release(made);
        return 0;
    }
    store = made;
    return 1;
}

int addPath(const char* prefix, const char* suffix)
{
    if (store == nullptr)
        return 0;
    ByteString* prefixCopy = fromCString(prefix);
    ByteString* suffixCopy = fromCString(suffix);
    if (prefixCopy == nullptr || suffixCopy == nullptr || pushFront(&store->searchPaths, prefixCopy, suffixCopy) != 0) {
        destroy(prefixCopy);
        destroy(suffixCopy);
        return 0;
    }
    return 1;
}

int addDirective(const char* token, const char* text)
{
    if (store == nullptr)
        return 0;
    // A null token stays absent: such a directive reaches every section.
    ByteString* tokenCopy = token != nullptr ? fromCString(token) : nullptr;
    ByteString* line = fromCString(text);
    if ((token != nullptr && tokenCopy == nullptr) || line == nullptr || appendChar(line, '\n') != 0 ||
        pushFront(&store->directives, tokenCopy, line) != 0) {
        destroy(tokenCopy);
        destroy(line);
        return 0;
    }
    return 1;
}

const char* getShader(const char* key)
{
    if (store == nullptr)
        return nullptr;
    ByteString* requestedKey = fromCString(key);
    ByteStringList* keyParts = split(requestedKey, '.');
    if (keyParts == nullptr || keyParts->entries[0] == nullptr) {
        recordError(format("Malformed effect key key '%s'.", key != nullptr ? key : "(null)"));
        destroyList(keyParts);
        destroy(requestedKey);
        return nullptr;
    }
    const ByteString* effectName = keyParts->entries[0];
    if (!isLoaded(effectName)) {
        ByteString* text = loadEffect(effectName);
        if (text != nullptr)
            sliceEffect(effectName, text, store->directives, &store->sections);
    }
    const ChainNode* found = lookUp(requestedKey);
    if (found == nullptr)
        recordError(format("Could not find shader with key '%s'.", key));
    destroyList(keyParts);
    destroy(requestedKey);
    return found != nullptr ? found->second->data : nullptr;
}

int headerLine(const char* key)
{
    if (store == nullptr || key == nullptr)
        return 0;
    ByteString* requestedKey = fromCString(key);
    const ChainNode* found = requestedKey != nullptr ? lookUp(requestedKey) : nullptr;
    destroy(requestedKey);
    return found != nullptr ? found->line : 0;
}

const char* effectPath(const char* effectName)
{
    if (store == nullptr)
        return nullptr;
    const ChainNode* record = *loadedRecord(effectName);
    return record != nullptr ? record->second->data : nullptr;
}

int forgetEffect(const char* effectName)
{
    if (store == nullptr)
        return 0;
    ChainNode** record = loadedRecord(effectName);
    if (*record == nullptr) {
        recordError(format("Effect '%s' is not loaded.", effectName != nullptr ? effectName : "(null)"));
        return 0;
    }
    const ByteString* name = (*record)->first;
    for (ChainNode** section = &store->sections; *section != nullptr;) {
        if (isSectionOf((*section)->first, name)) {
            moveToFront(section, &store->forgotten);
        } else {
            section = &(*section)->next;
        }
    }
    moveToFront(record, &store->forgotten);
    return 1;
}

const ByteString* lastError() { return store != nullptr ? store->lastError : nullptr; }

void release()
{
    if (store == nullptr)
        return;
    destroy(store->lastError);
    releaseChain(store->directives);
    releaseChain(store->sections);
    releaseChain(store->loadedEffects);
    releaseChain(store->searchPaths);
    releaseChain(store->forgotten);
    allocation::release(store);
    store = nullptr;
}

} // namespace shaderstore
