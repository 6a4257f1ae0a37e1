// Placeholder; the fixture builder lives here.
