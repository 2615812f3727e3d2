// The frame benchmark's floor: the demo's programs with the least work each
// stage can do, so that the demo's frame time can be read against what this
// pipeline costs with no shading at all. Same keys, attributes, feedback
// outputs and sampler names as the real effect file.

-- tf.VS
in vec3 Position;
in float BirthTime;
in vec3 Velocity;

out vec3 vPosition;
out float vBirthTime;
out vec3 vVelocity;

void main()
{
    vPosition = Position;
    vBirthTime = BirthTime;
    vVelocity = Velocity;
}

-- Particle.VS
in vec3 Position;

// Copied particles never leave the origin; a software rasteriser would then
// pile every point onto one pixel of one tile, which costs more than points
// spread over the window as the demo's are. One pixel per particle, row by
// row, plus the (zero) position so the attribute stays live.
void main()
{
    int id = gl_VertexID;
    vec2 pixel = vec2(float(id % 1024), float(id / 1024)) + 0.5;
    gl_Position = vec4(pixel / 512.0 - 1.0 + Position.xy, 0.0, 1.0);
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
