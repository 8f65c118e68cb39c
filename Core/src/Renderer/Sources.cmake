target_sources(Core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/RendererExceptions.cpp
)
target_sources(Core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/DistortionRenderer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RendererDetail.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ShadingRenderer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpenCL/CLCommandQueue.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpenCL/CLContext.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpenCL/CLKernel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpenCL/CLMemory.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpenCL/CLProgram.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpenCL/OpenCLFailure.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpenCL/OpenCLKernel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpenCL/OpenCLKernelHelper.cpp
)
lc_embed_text(Core ${CMAKE_CURRENT_LIST_DIR}/Kernels/ShadingCorrection.cl
    Renderer shadingKernelSource PREPEND ${CMAKE_CURRENT_LIST_DIR}/Kernels/KernelCommon.cl)
lc_embed_text(Core ${CMAKE_CURRENT_LIST_DIR}/Kernels/DistortionCorrection.cl
    Renderer distortionKernelSource PREPEND ${CMAKE_CURRENT_LIST_DIR}/Kernels/KernelCommon.cl)
