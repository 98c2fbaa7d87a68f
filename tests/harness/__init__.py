"""What the Python tests and the benchmarks share to run the real player: a private desktop (X
server, window manager, sound server, recorder), generated tracks, what a recording says, the
screen and the screen reader, and the player installed and started. Found through PYTHONPATH
(tests/), which ctest sets for every test that uses it."""
