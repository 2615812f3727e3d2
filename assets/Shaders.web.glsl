// The browser's own sections of the effect file (WebGL2). The build appends
// them to the desktop effect file, Shaders.glsl, and the page fetches the
// result as assets/Shaders.glsl: where a section name stands twice the store
// answers with the later one, so these replace the desktop's particle
// program, and the simulation and the composite stay the desktop's own code.
// Particle.VS differs from the desktop's in its outputs alone: its other
// functions are copies of the desktop's, and the build stops when one differs.
// The store puts "#version 300 es", default precisions and a "#line" line in
// front of every section, so each one is a complete GLSL ES 3.00 shader.

-- tf.FS
// GLSL ES links no program without a fragment stage. The simulation runs
// with rasterizer discard, so this one never runs.
void main()
{
}

-- Particle.VS
in vec3 Position;
in float BirthTime;
in vec3 Velocity;

// A point has one colour: flat, so the rasteriser sets up no gradients.
flat out vec4 fColor;

uniform float PointSize;
uniform float Time;
uniform mat4 ModelviewProjection;
uniform mat3 Modelview;
uniform vec3 mLoc;
uniform float mUp;

uint hash(uint x)
{
    x ^= x >> 16u;
    x *= 0x7feb352du;
    x ^= x >> 15u;
    x *= 0x846ca68bu;
    x ^= x >> 16u;
    return x;
}

float lifetimeOf(uint id)
{
    return 0.35 + 0.55 * float(hash(id ^ 0x5bd1e995u) >> 8u) * (1.0 / 16777216.0);
}

vec3 palette(float speed)
{
    vec3 deep = vec3(0.16, 0.22, 0.95);
    vec3 cyan = vec3(0.15, 0.85, 1.0);
    vec3 amber = vec3(1.0, 0.55, 0.12);
    vec3 white = vec3(1.0, 0.96, 0.9);
    float t = speed / 1.6;
    if (t < 1.0)
        return mix(deep, cyan, t);
    if (t < 2.5)
        return mix(cyan, amber, (t - 1.0) / 1.5);
    return mix(amber, white, clamp((t - 2.5) / 2.0, 0.0, 1.0));
}

// The particle's colour, and in alpha the share of light it lends its
// pixel; clip is its position in clip space.
vec4 shade(vec4 clip)
{
    float age = (Time - BirthTime) / lifetimeOf(uint(gl_VertexID));
    float fade = smoothstep(0.0, 0.06, age) * (1.0 - smoothstep(0.7, 1.0, age));

    // Particles heading towards the viewer are a little warmer.
    vec3 viewVelocity = Modelview * Velocity;
    vec3 color = palette(length(Velocity)) * (1.0 + 0.15 * clamp(viewVelocity.z, -1.0, 1.0));

    // While the button is held, the particles around the pointer glow.
    vec3 toPointer = mLoc - Position;
    float glow = (1.0 - mUp) * 0.6 / (1.0 + 40.0 * dot(toPointer, toPointer));

    // A particle is PointSize across: one that covers less than a pixel
    // lends the pixel only its share of light.
    float pixels = PointSize * ModelviewProjection[0][0] / clip.w * 512.0;
    return vec4(color + glow, 0.45 * fade * clamp(pixels * pixels, 0.2, 1.0));
}

void main()
{
    vec4 clip = ModelviewProjection * vec4(Position, 1.0);
    fColor = shade(clip);

    // With no geometry stage to drop the points too faint to see, they go
    // outside the clip volume, and the clipper drops them: a software
    // rasteriser then pays nothing more for them.
    gl_Position = fColor.a < 1.0 / 255.0 ? vec4(2.0, 2.0, 2.0, 1.0) : clip;
    // GLSL ES leaves a point's size undefined unless the vertex stage sets
    // it; the desktop draws every point one pixel wide.
    gl_PointSize = 1.0;
}

-- Particle.FS
flat in vec4 fColor;
out vec4 FragColor;

void main()
{
    FragColor = fColor;
}
--
