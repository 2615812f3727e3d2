# owned by the gl_tests suite
