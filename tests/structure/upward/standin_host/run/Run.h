// a fixture
