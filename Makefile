# Thin wrapper: `make run` sets up and starts the agent, `make test` sets up
# and runs the tests. Both install the Debian packages they need first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
# Where `make run` installs the agent: the directory named by
# /var/log/version_control, or /usr/local/zelmor_agent.
INSTALL_DIR ?= $(shell head -n1 /var/log/version_control 2>/dev/null || echo /usr/local/zelmor_agent)
CMAKE_FLAGS ?=

.PHONY: all deps build run test clean

all: build

deps:
	./scripts/install-deps

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_INSTALL_PREFIX=$(INSTALL_DIR) $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	cmake --install $(BUILD_DIR)
	$(INSTALL_DIR)/bin/agent_host --install-dir $(INSTALL_DIR)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)
