#include "shaderstore_answer_text.h"

#include "shaderstore/shaderstore.h"

std::string shaderText(const char* key)
{
    const char* text = shaderstore::getShader(key);
    return text != nullptr ? std::string(text) : std::string("<null>");
}

std::string lastErrorText()
{
    const ByteString* error = shaderstore::lastError();
    return error != nullptr ? std::string(error->data, static_cast<size_t>(error->length)) : std::string("<none>");
}
