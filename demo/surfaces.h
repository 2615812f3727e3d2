#pragma once

// Offscreen render targets and indexed meshes: plain records of GL object
// names that live until the process ends.

struct Surface {
    unsigned int framebuffer;
    unsigned int colorTexture; // RGBA, 8 bits per channel, colour attachment 0
    unsigned int depthTexture; // 16-bit depth, the depth attachment
};

struct Mesh {
    unsigned int indexBuffer;    // 32-bit unsigned indices
    unsigned int positionBuffer; // three floats per vertex
    unsigned int normalBuffer;   // three floats per vertex, or 0
    unsigned int texCoordBuffer; // two floats per vertex, or 0
    unsigned int indexCount;
    unsigned int vertexCount;
};

// The new framebuffer stays bound, and its colour texture stays bound to the
// active texture unit.
Surface createSurface(int width, int height);

// Two triangles over the rectangle, texture t running from 0 at the top edge
// to 1 at the bottom. The index buffer stays bound as the element buffer.
Mesh createQuad(float left, float top, float right, float bottom);

// Draws with whatever program is current, attributes at the fixed locations.
void drawMesh(const Mesh& mesh);
