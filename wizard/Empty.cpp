// Keeps a step library a library while its folder has no sources yet.
