// The handles, records and enumerations of the Orbbec SDK v2 C interface that
// kestrum uses. Names, values and record layouts are the real SDK's, so that code
// built against these headers behaves the same against the real library.
#pragma once

#include "Export.h"

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// The records below are laid out without padding, as in the real SDK.
#pragma pack(push, 1)

// Opaque handles; what they hold is the library's business.
typedef struct ob_context_t ob_context;
typedef struct ob_device_t ob_device;
typedef struct ob_device_info_t ob_device_info;
typedef struct ob_device_list_t ob_device_list;
typedef struct ob_stream_profile_t ob_stream_profile;
typedef struct ob_stream_profile_list_t ob_stream_profile_list;
typedef struct ob_frame_t ob_frame;
typedef struct ob_filter_t ob_filter;
typedef struct ob_filter_config_schema_list_t ob_filter_config_schema_list;
typedef struct ob_pipeline_t ob_pipeline;
typedef struct ob_config_t ob_config;

// Wildcards for looking up a video stream profile.
#define OB_WIDTH_ANY 0
#define OB_HEIGHT_ANY 0
#define OB_FPS_ANY 0
#define OB_FORMAT_ANY OB_FORMAT_UNKNOWN

typedef enum {
    OB_STATUS_OK = 0,
    OB_STATUS_ERROR = 1,
    OB_ERROR_WAIT_TIMEOUT = 105,
} OBStatus, ob_status;

typedef enum {
    OB_EXCEPTION_TYPE_UNKNOWN = 0,
    OB_EXCEPTION_STD_EXCEPTION = 1,
    OB_EXCEPTION_TYPE_CAMERA_DISCONNECTED = 2,
    OB_EXCEPTION_TYPE_PLATFORM = 3,
    OB_EXCEPTION_TYPE_INVALID_VALUE = 4,
    OB_EXCEPTION_TYPE_WRONG_API_CALL_SEQUENCE = 5,
    OB_EXCEPTION_TYPE_NOT_IMPLEMENTED = 6,
    OB_EXCEPTION_TYPE_IO = 7,
    OB_EXCEPTION_TYPE_MEMORY = 8,
    OB_EXCEPTION_TYPE_UNSUPPORTED_OPERATION = 9,
} OBExceptionType, ob_exception_type;

// What a failed call leaves in its ob_error** out-parameter.
typedef struct ob_error {
    ob_status status;
    char message[256];
    char function[256];
    char args[256];
    ob_exception_type exception_type;
} ob_error;

typedef enum {
    OB_LOG_SEVERITY_DEBUG = 0,
    OB_LOG_SEVERITY_INFO = 1,
    OB_LOG_SEVERITY_WARN = 2,
    OB_LOG_SEVERITY_ERROR = 3,
    OB_LOG_SEVERITY_FATAL = 4,
    OB_LOG_SEVERITY_OFF = 5,
} OBLogSeverity, ob_log_severity;
#define OB_LOG_SEVERITY_NONE OB_LOG_SEVERITY_OFF

typedef void(ob_log_callback)(ob_log_severity severity, const char* message, void* user_data);

typedef enum {
    OB_DEVICE_DEFAULT_ACCESS = 4,
} OBDeviceAccessMode, ob_device_access_mode;

typedef enum {
    OB_SENSOR_UNKNOWN = 0,
    OB_SENSOR_IR = 1,
    OB_SENSOR_COLOR = 2,
    OB_SENSOR_DEPTH = 3,
    OB_SENSOR_ACCEL = 4,
    OB_SENSOR_GYRO = 5,
    OB_SENSOR_IR_LEFT = 6,
    OB_SENSOR_IR_RIGHT = 7,
    OB_SENSOR_RAW_PHASE = 8,
    OB_SENSOR_CONFIDENCE = 9,
    OB_SENSOR_LIDAR = 10,
    OB_SENSOR_TYPE_COUNT,
} OBSensorType, ob_sensor_type;

typedef enum {
    OB_STREAM_UNKNOWN = -1,
    OB_STREAM_VIDEO = 0,
    OB_STREAM_IR = 1,
    OB_STREAM_COLOR = 2,
    OB_STREAM_DEPTH = 3,
    OB_STREAM_ACCEL = 4,
    OB_STREAM_GYRO = 5,
    OB_STREAM_IR_LEFT = 6,
    OB_STREAM_IR_RIGHT = 7,
    OB_STREAM_RAW_PHASE = 8,
    OB_STREAM_CONFIDENCE = 9,
    OB_STREAM_LIDAR = 10,
    OB_STREAM_TYPE_COUNT,
} OBStreamType, ob_stream_type;

typedef enum {
    OB_FRAME_UNKNOWN = -1,
    OB_FRAME_VIDEO = 0,
    OB_FRAME_IR = 1,
    OB_FRAME_COLOR = 2,
    OB_FRAME_DEPTH = 3,
    OB_FRAME_ACCEL = 4,
    OB_FRAME_SET = 5,
    OB_FRAME_POINTS = 6,
    OB_FRAME_GYRO = 7,
    OB_FRAME_IR_LEFT = 8,
    OB_FRAME_IR_RIGHT = 9,
    OB_FRAME_RAW_PHASE = 10,
    OB_FRAME_CONFIDENCE = 11,
    OB_FRAME_LIDAR_POINTS = 12,
    OB_FRAME_TYPE_COUNT,
} OBFrameType, ob_frame_type;

// Pixel formats; 18 is not used.
typedef enum {
    OB_FORMAT_UNKNOWN = -1,
    OB_FORMAT_YUYV = 0,
    OB_FORMAT_YUY2 = 1,
    OB_FORMAT_UYVY = 2,
    OB_FORMAT_NV12 = 3,
    OB_FORMAT_NV21 = 4,
    OB_FORMAT_MJPG = 5,
    OB_FORMAT_H264 = 6,
    OB_FORMAT_H265 = 7,
    OB_FORMAT_Y16 = 8,
    OB_FORMAT_Y8 = 9,
    OB_FORMAT_Y10 = 10,
    OB_FORMAT_Y11 = 11,
    OB_FORMAT_Y12 = 12,
    OB_FORMAT_GRAY = 13,
    OB_FORMAT_HEVC = 14,
    OB_FORMAT_I420 = 15,
    OB_FORMAT_ACCEL = 16,
    OB_FORMAT_GYRO = 17,
    OB_FORMAT_POINT = 19,
    OB_FORMAT_RGB_POINT = 20,
    OB_FORMAT_RLE = 21,
    OB_FORMAT_RGB = 22,
    OB_FORMAT_BGR = 23,
    OB_FORMAT_Y14 = 24,
    OB_FORMAT_BGRA = 25,
    OB_FORMAT_COMPRESSED = 26,
    OB_FORMAT_RVL = 27,
    OB_FORMAT_Z16 = 28,
    OB_FORMAT_YV12 = 29,
    OB_FORMAT_BA81 = 30,
    OB_FORMAT_RGBA = 31,
} OBFormat, ob_format;

// Pinhole intrinsics of a video stream, in pixels.
typedef struct {
    float fx;
    float fy;
    float cx;
    float cy;
    int16_t width;
    int16_t height;
} OBCameraIntrinsic, ob_camera_intrinsic;

// How a lens bends rays; the Brown-Conrady models use k1, k2, k3 (radial), p1, p2 (tangential),
// and the K6 one also k4, k5, k6 (a rational radial factor).
typedef enum {
    OB_DISTORTION_NONE = 0,
    OB_DISTORTION_MODIFIED_BROWN_CONRADY = 1,
    OB_DISTORTION_INVERSE_BROWN_CONRADY = 2,
    OB_DISTORTION_BROWN_CONRADY = 3,
    OB_DISTORTION_BROWN_CONRADY_K6 = 4,
    OB_DISTORTION_KANNALA_BRANDT4 = 5,
} OBCameraDistortionModel, ob_camera_distortion_model;

typedef struct {
    float k1;
    float k2;
    float k3;
    float k4;
    float k5;
    float k6;
    float p1;
    float p2;
    OBCameraDistortionModel model;
} OBCameraDistortion, ob_camera_distortion;

// From one camera's coordinates to another's: p' = rot * p + trans, rot row by row, trans in millimetres.
typedef struct {
    float rot[9];
    float trans[3];
} OBExtrinsic, ob_extrinsic;

typedef enum {
    ALIGN_DISABLE = 0,
    ALIGN_D2C_HW_MODE = 1,
    ALIGN_D2C_SW_MODE = 2,
} OBAlignMode, ob_align_mode;

// When the pipeline hands out a frameset: only complete, only with colour, always, or never.
typedef enum {
    OB_FRAME_AGGREGATE_OUTPUT_ALL_TYPE_FRAME_REQUIRE = 0,
    OB_FRAME_AGGREGATE_OUTPUT_COLOR_FRAME_REQUIRE = 1,
    OB_FRAME_AGGREGATE_OUTPUT_ANY_SITUATION = 2,
    OB_FRAME_AGGREGATE_OUTPUT_DISABLE = 3,
} OB_FRAME_AGGREGATE_OUTPUT_MODE, OBFrameAggregateOutputMode, ob_frame_aggregate_output_mode;

// What a frame's metadata may hold; the stand-in's frames carry exposure and gain. Exposure is in the
// sensor's unit (usually 100 us for colour, 1 us for depth).
typedef enum {
    OB_FRAME_METADATA_TYPE_TIMESTAMP = 0,
    OB_FRAME_METADATA_TYPE_SENSOR_TIMESTAMP = 1,
    OB_FRAME_METADATA_TYPE_FRAME_NUMBER = 2,
    OB_FRAME_METADATA_TYPE_AUTO_EXPOSURE = 3,
    OB_FRAME_METADATA_TYPE_EXPOSURE = 4,
    OB_FRAME_METADATA_TYPE_GAIN = 5,
} ob_frame_metadata_type, OBFrameMetadataType;

typedef enum {
    OB_FILTER_CONFIG_VALUE_TYPE_INVALID = -1,
    OB_FILTER_CONFIG_VALUE_TYPE_INT = 0,
    OB_FILTER_CONFIG_VALUE_TYPE_FLOAT = 1,
    OB_FILTER_CONFIG_VALUE_TYPE_BOOLEAN = 2,
} OBFilterConfigValueType, ob_filter_config_value_type;

// One value a filter can be configured with: its range, step, default and description.
typedef struct {
    const char* name;
    OBFilterConfigValueType type;
    double min;
    double max;
    double step;
    double def;
    const char* desc;
} OBFilterConfigSchemaItem, ob_filter_config_schema_item;

#pragma pack(pop)

#ifdef __cplusplus
}
#endif
