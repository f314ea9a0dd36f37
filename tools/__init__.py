"""The test peers and the conductors of the end-to-end runs; run their Python parts as
modules from the checkout's top folder (python3 -m tools.soak.check ...)."""
