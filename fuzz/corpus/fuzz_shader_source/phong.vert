#version 110
// Hands the fragment stage what it lights: eye-space position and normal, vertex colour, texture coordinate.
varying vec3 EyePosition;
varying vec3 EyeNormal;

void main()
{
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    EyePosition = eye.xyz / eye.w;
    EyeNormal = gl_NormalMatrix * gl_Normal;
    gl_FrontColor = gl_Color;
    gl_BackColor = gl_Color;
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = ftransform();
}
