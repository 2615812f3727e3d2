# owned by the shaderstore_tests suite
