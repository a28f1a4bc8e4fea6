// Shared test support (doubles live beside this file).
