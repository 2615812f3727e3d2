#include "gl_fixture.h"
#include "demo/surfaces.h"

#include <gmock/gmock.h>

#include <cstdint>

using testing::HasSubstr;

using SurfaceTest = GlTest;
INSTANTIATE_FOR_BOTH_CONTEXTS(SurfaceTest);

static GLint textureLevelParameter(GLuint texture, GLenum parameter)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, parameter, &value);
    return value;
}

static GLint textureParameter(GLuint texture, GLenum parameter)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
    return value;
}

static GLint attachmentParameter(GLenum attachment, GLenum parameter)
{
    GLint value = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, parameter, &value);
    return value;
}

// Guards the formats, sampling and attachments the particle and composite passes rely on.
TEST_P(SurfaceTest, CreatesACompleteTargetWithSixteenBitDepthAndRgbaEightColour)
{
    Surface surface = createSurface(1024, 1024);
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_NE(surface.framebuffer, 0u);
    EXPECT_NE(surface.colorTexture, surface.depthTexture);

    // The new framebuffer and its colour texture are left bound.
    EXPECT_EQ(integerState(GL_DRAW_FRAMEBUFFER_BINDING), GLint(surface.framebuffer));
    EXPECT_EQ(integerState(GL_READ_FRAMEBUFFER_BINDING), GLint(surface.framebuffer));
    EXPECT_EQ(integerState(GL_TEXTURE_BINDING_2D), GLint(surface.colorTexture));

    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    EXPECT_EQ(attachmentParameter(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE), GL_TEXTURE);
    EXPECT_EQ(attachmentParameter(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME),
              GLint(surface.depthTexture));
    EXPECT_EQ(attachmentParameter(GL_COLOR_ATTACHMENT0, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE), GL_TEXTURE);
    EXPECT_EQ(attachmentParameter(GL_COLOR_ATTACHMENT0, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME),
              GLint(surface.colorTexture));

    EXPECT_EQ(textureLevelParameter(surface.depthTexture, GL_TEXTURE_INTERNAL_FORMAT), GL_DEPTH_COMPONENT16);
    EXPECT_EQ(textureLevelParameter(surface.depthTexture, GL_TEXTURE_DEPTH_SIZE), 16);
    for (GLenum channel : {GL_TEXTURE_RED_SIZE, GL_TEXTURE_GREEN_SIZE, GL_TEXTURE_BLUE_SIZE, GL_TEXTURE_ALPHA_SIZE})
        EXPECT_EQ(textureLevelParameter(surface.colorTexture, channel), 8);
    for (GLuint texture : {surface.depthTexture, surface.colorTexture}) {
        EXPECT_EQ(textureLevelParameter(texture, GL_TEXTURE_WIDTH), 1024);
        EXPECT_EQ(textureLevelParameter(texture, GL_TEXTURE_HEIGHT), 1024);
        EXPECT_EQ(textureParameter(texture, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
        EXPECT_EQ(textureParameter(texture, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
        EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
        EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    }
}

// Guards two surfaces sharing objects, and the second one not being left bound.
TEST_P(SurfaceTest, EverySurfaceHasItsOwnObjectsAndTheLatestStaysBound)
{
    Surface first = createSurface(1024, 1024);
    Surface second = createSurface(64, 32);
    EXPECT_NE(first.framebuffer, second.framebuffer);
    EXPECT_NE(first.colorTexture, second.colorTexture);
    EXPECT_NE(first.depthTexture, second.depthTexture);
    EXPECT_EQ(integerState(GL_DRAW_FRAMEBUFFER_BINDING), GLint(second.framebuffer));
    EXPECT_EQ(textureLevelParameter(second.colorTexture, GL_TEXTURE_WIDTH), 64);
    EXPECT_EQ(textureLevelParameter(second.depthTexture, GL_TEXTURE_HEIGHT), 32);
}

// Guards the first check: an error someone else left pending stops the process there.
TEST_P(SurfaceTest, StopsAtTheDepthTextureWhenAnErrorIsPending)
{
    EXPECT_EXIT(
        {
            glEnable(GL_INVALID_ENUM);
            createSurface(16, 16);
        },
        testing::ExitedWithCode(1), HasSubstr("Unable to create depth texture\n"));
    EXPECT_EXIT(createSurface(1 << 20, 16), testing::ExitedWithCode(1), HasSubstr("Unable to create depth texture\n"));
}

// Guards the quad's layout: positions, t running downwards, and the index order.
TEST_P(SurfaceTest, QuadBuffersHoldTheCornersTexCoordsAndIndicesByteForByte)
{
    Mesh quad = createQuad(-0.5f, 0.25f, 0.75f, -1.0f);
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(quad.indexCount, 6u);
    EXPECT_EQ(quad.vertexCount, 4u);
    EXPECT_EQ(quad.normalBuffer, 0u);
    EXPECT_EQ(integerState(GL_ELEMENT_ARRAY_BUFFER_BINDING), GLint(quad.indexBuffer));
    // Created in the order positions, texture coordinates, indices.
    EXPECT_LT(quad.positionBuffer, quad.texCoordBuffer);
    EXPECT_LT(quad.texCoordBuffer, quad.indexBuffer);

    const float positions[] = {-0.5f, 0.25f, 0, 0.75f, 0.25f, 0, 0.75f, -1.0f, 0, -0.5f, -1.0f, 0};
    const float texCoords[] = {0, 0, 1, 0, 1, 1, 0, 1};
    const uint32_t indices[] = {3, 2, 1, 1, 0, 3};
    struct Expected {
        GLuint buffer;
        const void* bytes;
        size_t size;
    };
    for (Expected expected : {Expected {quad.positionBuffer, positions, sizeof positions},
                              Expected {quad.texCoordBuffer, texCoords, sizeof texCoords},
                              Expected {quad.indexBuffer, indices, sizeof indices}}) {
        GLint size = 0, usage = 0;
        glBindBuffer(GL_COPY_READ_BUFFER, expected.buffer);
        glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &size);
        glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_USAGE, &usage);
        EXPECT_EQ(size, GLint(expected.size));
        EXPECT_EQ(usage, GL_STATIC_DRAW);
        std::vector<unsigned char> bytes = readBuffer(expected.buffer, 0, GLsizeiptr(expected.size));
        const unsigned char* wanted = static_cast<const unsigned char*>(expected.bytes);
        EXPECT_EQ(bytes, std::vector<unsigned char>(wanted, wanted + expected.size));
    }
}

static const char* const attributeColourVertex = R"(#version 150
in vec3 Position;
in vec2 TexCoord;
in vec3 Normal;
out vec3 colour;
uniform int useNormal;
void main()
{
    colour = useNormal != 0 ? Normal : vec3(TexCoord, 0.5);
    gl_Position = vec4(Position, 1.0);
}
)";

static const char* const attributeColourFragment = R"(#version 150
in vec3 colour;
out vec4 fragment;
void main() { fragment = vec4(colour, 1.0); }
)";

static bool isVertexAttributeEnabled(GLuint location)
{
    GLint enabled = 0;
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    return enabled != 0;
}

// Guards coverage of the whole target, t = 0 at the top, and texture
// coordinates reaching location 1 as two floats.
TEST_P(SurfaceTest, DrawingTheFullQuadCoversTheTargetWithTexCoordsFromTheTop)
{
    createSurface(64, 64);
    glViewport(0, 0, 64, 64);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    compileTestProgram(attributeColourVertex, attributeColourFragment);
    drawMesh(createQuad(-1, 1, 1, -1));
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    Pixel bottomLeft = readPixel(0, 0);
    Pixel topRight = readPixel(63, 63);
    EXPECT_LT(bottomLeft.r, 8);
    EXPECT_GT(bottomLeft.g, 247);
    EXPECT_GT(topRight.r, 247);
    EXPECT_LT(topRight.g, 8);
    for (int y = 0; y < 64; y += 9)
        for (int x = 0; x < 64; x += 9)
            EXPECT_EQ(readPixel(x, y).a, 255) << "uncovered at " << x << "," << y;
    for (GLuint location : {0u, 1u, 2u})
        EXPECT_FALSE(isVertexAttributeEnabled(location)) << "attribute " << location;
}

// Guards normals reaching location 2 and every attribute being disabled
// afterwards, including ones the mesh does not use.
TEST_P(SurfaceTest, DrawsNormalsAndLeavesAllThreeAttributesDisabled)
{
    createSurface(16, 16);
    glViewport(0, 0, 16, 16);
    glDisable(GL_DEPTH_TEST);
    GLuint program = compileTestProgram(attributeColourVertex, attributeColourFragment);
    glUniform1i(glGetUniformLocation(program, "useNormal"), 1);

    Mesh mesh = createQuad(-1, 1, 1, -1);
    const float normals[] = {1, 0, 1, 1, 0, 1, 1, 0, 1, 1, 0, 1};
    glGenBuffers(1, &mesh.normalBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, mesh.normalBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof normals, normals, GL_STATIC_DRAW);
    mesh.texCoordBuffer = 0;
    glEnableVertexAttribArray(1);
    drawMesh(mesh);
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    Pixel centre = readPixel(8, 8);
    EXPECT_EQ(centre.r, 255);
    EXPECT_EQ(centre.g, 0);
    EXPECT_EQ(centre.b, 255);
    for (GLuint location : {0u, 1u, 2u})
        EXPECT_FALSE(isVertexAttributeEnabled(location)) << "attribute " << location;
}

// Guards the mesh check: a missing index or position buffer is fatal.
TEST_P(SurfaceTest, AMeshWithoutIndexOrPositionBufferIsInvalid)
{
    Mesh quad = createQuad(-1, 1, 1, -1);
    Mesh withoutIndices = quad;
    withoutIndices.indexBuffer = 0;
    Mesh withoutPositions = quad;
    withoutPositions.positionBuffer = 0;
    EXPECT_EXIT(drawMesh(withoutIndices), testing::ExitedWithCode(1), HasSubstr("Invalid mesh.\n"));
    EXPECT_EXIT(drawMesh(withoutPositions), testing::ExitedWithCode(1), HasSubstr("Invalid mesh.\n"));
}

// Guards the opening error check: an error left by earlier code is reported before drawing.
TEST_P(SurfaceTest, DrawingWithAnErrorPendingStops)
{
    Mesh quad = createQuad(-1, 1, 1, -1);
    EXPECT_EXIT(
        {
            glEnable(GL_INVALID_ENUM);
            drawMesh(quad);
        },
        testing::ExitedWithCode(1), HasSubstr("OpenGL error.\n"));
}
