"""The end-to-end harness shared by the Wine and the native test suites."""
