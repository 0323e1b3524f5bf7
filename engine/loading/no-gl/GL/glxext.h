// Stands in front of the system's <GL/glxext.h> for the loading layer only: loading draws nothing.
#error "the engine's loading layer includes no GL header: what needs GL belongs in engine/rendering/"
