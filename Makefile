# The two commands of the README; both install what is missing, configure and build first.
BUILD ?= build
JOBS ?= 2

.PHONY: deps build test demo clean

deps:
	bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

# CTest starts and stops the private PostgreSQL cluster itself; it is stopped once more in case CTest was cut short.
test: build
	cd $(BUILD) && trap 'bash ../scripts/pg-cluster.sh stop pg-cluster' EXIT INT TERM && \
	  bash ../scripts/with-display.sh ctest --output-on-failure -j$(JOBS)

demo: build
	bash scripts/demo.sh $(BUILD)

clean:
	rm -rf $(BUILD)
