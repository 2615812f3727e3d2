// The frame benchmark's floor: the demo's programs with the least work each
// stage can do, so that the demo's frame time can be read against what this
// pipeline costs with no shading at all. Same keys, attributes, feedback
// outputs and sampler names as the real effect file. Its points lie where the
// demo's particles are first born, projected as the demo's are, so both
// pipelines hand the rasteriser the same pattern at any particle count.

-- tf.VS
in vec3 Position;
in float BirthTime;
in vec3 Velocity;

out vec3 vPosition;
out float vBirthTime;
out vec3 vVelocity;

uniform int ParticleCount;

const float TwoPi = 6.2831853;

// Copies of the real tf.VS's functions, which the build keeps equal: the
// points must lie where the demo's do, or a software rasteriser bins them
// over other tiles and the floor measures the pattern instead of the work.
uint hash(uint x)
{
    x ^= x >> 16u;
    x *= 0x7feb352du;
    x ^= x >> 15u;
    x *= 0x846ca68bu;
    x ^= x >> 16u;
    return x;
}

float unit(uint bits)
{
    return float(bits & 0xffffu) * (1.0 / 65536.0);
}

uint firstBirthSeed(uint id)
{
    return id ^ 0x5bd1e995u;
}

vec3 birthPlace(uint id, uint bits)
{
    float along = float(id) * (3.0 / float(ParticleCount));
    float arm = floor(along);
    float t = fract(along);
    float r = 0.12 + 2.3 * sqrt(t) * sqrt(sqrt(t));
    float angle = arm * (TwoPi / 3.0) + r * 2.1 + (unit(bits) - 0.5) * (0.25 + 0.5 / (r + 0.3));
    float thickness = 0.18 * exp(-r);
    return vec3(r * cos(angle), r * sin(angle), (unit(bits >> 16u) - 0.5) * thickness);
}

// A copy of the record, but for the first frame, which puts every particle
// at the demo's first birth place from the zero record; never moved after,
// and taken by no particle in any later frame.
void main()
{
    vPosition = Position;
    vBirthTime = BirthTime;
    vVelocity = Velocity;
    if (BirthTime == 0.0 && Position == vec3(0.0) && Velocity == vec3(0.0)) {
        uint id = uint(gl_VertexID);
        vPosition = birthPlace(id, hash(firstBirthSeed(id)));
    }
}

-- Particle.VS
in vec3 Position;

uniform mat4 ModelviewProjection;

void main()
{
    gl_Position = ModelviewProjection * vec4(Position, 1.0);
}

-- Particle.GS
layout(points) in;
layout(points, max_vertices = 1) out;

void main()
{
    gl_Position = gl_in[0].gl_Position;
    EmitVertex();
    EndPrimitive();
}

-- Particle.FS
out vec4 FragColor;

void main()
{
    FragColor = vec4(1.0, 1.0, 1.0, 0.5);
}

-- Composite.VS
in vec3 Position;

void main()
{
    gl_Position = vec4(Position, 1.0);
}

-- Composite.FS
out vec4 FragColor;

void main()
{
    FragColor = vec4(0.5, 0.5, 0.5, 1.0);
}
--
