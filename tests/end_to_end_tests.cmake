# owned by the end_to_end_tests suite
