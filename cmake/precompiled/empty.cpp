// Nothing of its own: the target that compiles the precompiled headers that others take.
