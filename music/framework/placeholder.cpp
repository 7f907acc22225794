// The framework lands here.
