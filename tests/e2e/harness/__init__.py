"""Harness for end-to-end tests: the real binary on a private X desktop, driven as a user would."""
