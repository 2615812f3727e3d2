// The floor's browser sections (WebGL2), appended to floor_shaders.glsl as
// the demo's are to its effect file: GLSL ES wants a fragment stage for the
// simulation and a point size from the vertex stage, and has no geometry
// stage to pass the point through.

-- tf.FS
void main()
{
}

-- Particle.VS
in vec3 Position;

// One pixel per particle, row by row, as the desktop's floor places them.
void main()
{
    int id = gl_VertexID;
    vec2 pixel = vec2(float(id % 1024), float(id / 1024)) + 0.5;
    gl_Position = vec4(pixel / 512.0 - 1.0 + Position.xy, 0.0, 1.0);
    gl_PointSize = 1.0;
}
