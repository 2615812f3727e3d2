#include "demo/surfaces.h"

#include "shell/diagnostics.h"
#include "demo/programs.h"

#include <GL/glew.h>

#include <cstdint>

static bool noErrorPending() { return glGetError() == GL_NO_ERROR; }

// Binds a new texture to GL_TEXTURE_2D with the sampling both attachments use.
static GLuint createBoundTexture()
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return texture;
}

Surface createSurface(int width, int height)
{
    Surface surface = {};

    surface.depthTexture = createBoundTexture();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT16, width, height, 0, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT,
                 nullptr);
    checkCondition(noErrorPending(), "Unable to create depth texture");

    glGenFramebuffers(1, &surface.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, surface.framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, surface.depthTexture, 0);
    checkCondition(noErrorPending(), "Unable to attach depth texture");

    surface.colorTexture = createBoundTexture();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    // "normals" is this colour texture's long-standing name in the message.
    checkCondition(noErrorPending(), "Unable to create normals texture");

    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, surface.colorTexture, 0);
    checkCondition(noErrorPending(), "Unable to attach color buffer");

    checkCondition(glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE, "Unable to create FBO.");
    checkCondition(noErrorPending(), "OpenGL error.");
    return surface;
}

static GLuint createFilledBuffer(GLenum target, GLsizeiptr size, const void* data)
{
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, size, data, GL_STATIC_DRAW);
    return buffer;
}

Mesh createQuad(float left, float top, float right, float bottom)
{
    const float positions[] = {
        left, top, 0, right, top, 0, right, bottom, 0, left, bottom, 0,
    };
    const float texCoords[] = {0, 0, 1, 0, 1, 1, 0, 1};
    const uint32_t indices[] = {3, 2, 1, 1, 0, 3};

    Mesh mesh = {};
    mesh.positionBuffer = createFilledBuffer(GL_ARRAY_BUFFER, sizeof positions, positions);
    mesh.texCoordBuffer = createFilledBuffer(GL_ARRAY_BUFFER, sizeof texCoords, texCoords);
    mesh.indexBuffer = createFilledBuffer(GL_ELEMENT_ARRAY_BUFFER, sizeof indices, indices);
    mesh.indexCount = 6;
    mesh.vertexCount = 4;
    return mesh;
}

static void enableFloatAttribute(GLuint buffer, GLuint location, GLint components)
{
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, static_cast<GLsizei>(components * sizeof(float)),
                          nullptr);
    glEnableVertexAttribArray(location);
}

void drawMesh(const Mesh& mesh)
{
    checkCondition(noErrorPending(), "OpenGL error.");
    checkCondition(mesh.indexBuffer != 0 && mesh.positionBuffer != 0, "Invalid mesh.");

    enableFloatAttribute(mesh.positionBuffer, PositionAttribute, 3);
    if (mesh.normalBuffer)
        enableFloatAttribute(mesh.normalBuffer, NormalAttribute, 3);
    if (mesh.texCoordBuffer)
        enableFloatAttribute(mesh.texCoordBuffer, TexCoordAttribute, 2);

    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.indexBuffer);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mesh.indexCount), GL_UNSIGNED_INT, nullptr);
    checkCondition(noErrorPending(), "OpenGL error.");

    glDisableVertexAttribArray(PositionAttribute);
    glDisableVertexAttribArray(NormalAttribute);
    glDisableVertexAttribArray(TexCoordAttribute);
}
