// Handles, records and enumerations of the Orbbec SDK v2 C interface, as far as
// kestrum uses them. Values are the real SDK's: code compiled against this
// header must behave the same against the real one.
#pragma once

#include "Export.h"

#include <stdbool.h>
#include <stdint.h>

#pragma pack(push, 1)

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ob_context_t ob_context;
typedef struct ob_device_t ob_device;
typedef struct ob_device_info_t ob_device_info;
typedef struct ob_device_list_t ob_device_list;
typedef struct ob_stream_profile_t ob_stream_profile;
typedef struct ob_stream_profile_list_t ob_stream_profile_list;
typedef struct ob_frame_t ob_frame;
typedef struct ob_filter_t ob_filter;
typedef struct ob_pipeline_t ob_pipeline;
typedef struct ob_config_t ob_config;
typedef struct ob_filter_config_schema_list_t ob_filter_config_schema_list;

#define OB_WIDTH_ANY 0
#define OB_HEIGHT_ANY 0
#define OB_FPS_ANY 0
#define OB_FORMAT_ANY OB_FORMAT_UNKNOWN

typedef enum {
    OB_STATUS_OK = 0,
    OB_STATUS_ERROR = 1,
} OBStatus,
    ob_status;

typedef enum {
    OB_LOG_SEVERITY_DEBUG,
    OB_LOG_SEVERITY_INFO,
    OB_LOG_SEVERITY_WARN,
    OB_LOG_SEVERITY_ERROR,
    OB_LOG_SEVERITY_FATAL,
    OB_LOG_SEVERITY_OFF
} OBLogSeverity,
    ob_log_severity;
#define OB_LOG_SEVERITY_NONE OB_LOG_SEVERITY_OFF

typedef enum {
    OB_EXCEPTION_TYPE_UNKNOWN,
    OB_EXCEPTION_STD_EXCEPTION,
    OB_EXCEPTION_TYPE_CAMERA_DISCONNECTED,
    OB_EXCEPTION_TYPE_PLATFORM,
    OB_EXCEPTION_TYPE_INVALID_VALUE,
    OB_EXCEPTION_TYPE_WRONG_API_CALL_SEQUENCE,
    OB_EXCEPTION_TYPE_NOT_IMPLEMENTED,
    OB_EXCEPTION_TYPE_IO,
    OB_EXCEPTION_TYPE_MEMORY,
    OB_EXCEPTION_TYPE_UNSUPPORTED_OPERATION,
} OBExceptionType,
    ob_exception_type;

// The error record that every C call may fill through its ob_error** out-parameter.
typedef struct ob_error {
    ob_status status;
    char message[256];
    char function[256];
    char args[256];
    ob_exception_type exception_type;
} ob_error;

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
} OBSensorType,
    ob_sensor_type;

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
} OBStreamType,
    ob_stream_type;

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
} OBFrameType,
    ob_frame_type;

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
} OBFormat,
    ob_format;

typedef enum {
    OB_DEVICE_DEFAULT_ACCESS = 4,
} OBDeviceAccessMode,
    ob_device_access_mode;

typedef struct {
    float fx;
    float fy;
    float cx;
    float cy;
    int16_t width;
    int16_t height;
} OBCameraIntrinsic, ob_camera_intrinsic;

typedef enum {
    ALIGN_DISABLE,
    ALIGN_D2C_HW_MODE,
    ALIGN_D2C_SW_MODE,
} OBAlignMode,
    ob_align_mode;

typedef enum {
    OB_FRAME_AGGREGATE_OUTPUT_ALL_TYPE_FRAME_REQUIRE = 0,
    OB_FRAME_AGGREGATE_OUTPUT_COLOR_FRAME_REQUIRE,
    OB_FRAME_AGGREGATE_OUTPUT_ANY_SITUATION,
    OB_FRAME_AGGREGATE_OUTPUT_DISABLE,
} OB_FRAME_AGGREGATE_OUTPUT_MODE,
    OBFrameAggregateOutputMode, ob_frame_aggregate_output_mode;

typedef enum {
    OB_FILTER_CONFIG_VALUE_TYPE_INVALID = -1,
    OB_FILTER_CONFIG_VALUE_TYPE_INT = 0,
    OB_FILTER_CONFIG_VALUE_TYPE_FLOAT = 1,
    OB_FILTER_CONFIG_VALUE_TYPE_BOOLEAN = 2,
} OBFilterConfigValueType,
    ob_filter_config_value_type;

typedef struct {
    const char* name;
    OBFilterConfigValueType type;
    double min;
    double max;
    double step;
    double def;
    const char* desc;
} OBFilterConfigSchemaItem, ob_filter_config_schema_item;

typedef void(ob_log_callback)(ob_log_severity severity, const char* message, void* user_data);

#ifdef __cplusplus
}
#endif

#pragma pack(pop)
